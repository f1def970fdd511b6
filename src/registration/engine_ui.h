// What the registration engine needs of the user interface: telling the user
// the outcome, and the application's mouse pointer while a worker runs. The
// window's toolkit provides it; the engine's timing tool stubs it.
#pragma once

#include <string>

namespace kalvex {

// Application mouse pointers.
constexpr int kPointerDefault = 0;
constexpr int kPointerHourglass = 11;

class EngineUi {
public:
    virtual ~EngineUi() = default;

    // Modal box with the text, an OK button, no icon, "Kalvex" as caption.
    virtual void MsgBox(const std::string& text) = 0;
    virtual void SetMousePointer(int pointer) = 0;
};

}  // namespace kalvex
