// The engine's user interface for the tools that drive the registration
// engine in a process of their own, without a window: it notes when and what
// the engine reports instead of showing it, and changes the pointer as the
// window does. Windows only.
#pragma once

#include <windows.h>

#include <string>

#include "registration/engine_ui.h"
#include "timing.h"

namespace bench {

class RecordingUi final : public kalvex::EngineUi {
public:
    void MsgBox(const std::string& text) override {
        shownAt = NowMs();
        shown = text;
    }
    void SetMousePointer(int pointer) override {
        ::SetCursor(::LoadCursorA(
            nullptr, reinterpret_cast<LPCSTR>(pointer == kalvex::kPointerHourglass ? IDC_WAIT : IDC_ARROW)));
    }

    // The last message's time (NowMs) and text.
    double shownAt = 0;
    std::string shown;
};

}  // namespace bench
