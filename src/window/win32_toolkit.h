// The toolkit's run-time services for the window: message boxes, pending
// events, the program's folder and command line, the file search, the mouse
// pointer, unloading and ending. Windows only.
#pragma once

#include <windows.h>

#include "toolkit.h"

namespace kalvex {

// Hands one message to the window's dialog manager or to its window, on
// wide messages: a typed character stays UTF-16 on its way to the text box.
// False for WM_QUIT.
bool DispatchDialogMessage(HWND window, MSG& msg);

class Win32Toolkit final : public Toolkit {
public:
    void Attach(HWND window) { mWindow = window; }
    // The pointer the window shows over itself.
    int Pointer() const { return mPointer; }

    void MsgBox(const std::string& text) override;
    void SetMousePointer(int pointer) override;
    void DoEvents() override;
    std::string AppPath() override;
    std::string CommandLine() override;
    std::string Dir(const std::string& path) override;
    void UnloadWindow() override;
    void EndProgram() override;

private:
    HWND mWindow = nullptr;
    int mPointer = kPointerDefault;
};

}  // namespace kalvex
