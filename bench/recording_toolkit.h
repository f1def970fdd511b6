// A toolkit without a window for the tools that drive the registration
// engine in a process of their own: it notes when and what the engine
// reports instead of showing it, and changes the pointer as the window does.
// Windows only.
#pragma once

#include <windows.h>

#include <string>

#include "timing.h"
#include "window/toolkit.h"

namespace bench {

class RecordingToolkit final : public kalvex::Toolkit {
public:
    void MsgBox(const std::string& text) override {
        shownAt = NowMs();
        shown = text;
    }
    void SetMousePointer(int pointer) override {
        ::SetCursor(::LoadCursorA(
            nullptr, reinterpret_cast<LPCSTR>(pointer == kalvex::kPointerHourglass ? IDC_WAIT : IDC_ARROW)));
    }
    void DoEvents() override {}
    std::string AppPath() override { return std::string(); }
    std::string CommandLine() override { return std::string(); }
    std::string Dir(const std::string&, int) override { return std::string(); }
    void UnloadWindow() override {}
    void EndProgram() override {}

    // The last message's time (NowMs) and text.
    double shownAt = 0;
    std::string shown;
};

}  // namespace bench
