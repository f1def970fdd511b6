// What the registration engine needs of the user interface: the
// application's mouse pointer while a worker runs. The window's toolkit
// provides it; the tools that drive the engine alone stub it.
#pragma once

namespace kalvex {

// Application mouse pointers.
constexpr int kPointerDefault = 0;
constexpr int kPointerHourglass = 11;

class EngineUi {
public:
    virtual ~EngineUi() = default;

    virtual void SetMousePointer(int pointer) = 0;
};

}  // namespace kalvex
