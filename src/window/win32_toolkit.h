// The program's services for the window's handlers on Win32: message boxes,
// pending events, the program's folder and arguments, closing, and whether
// a component runs (the busy state, which the window reads to show the
// hourglass and to take no input meanwhile). Windows only.
#pragma once

#include <windows.h>

#include "toolkit.h"

namespace kalvex {

// Hands one message to the window's dialog manager or to its window, on
// wide messages: a typed character stays UTF-16 on its way to the text box.
void DispatchDialogMessage(HWND window, MSG& msg);

class Win32Toolkit final : public Toolkit {
public:
    void Attach(HWND window) { mWindow = window; }
    // While a component runs: the window shows the hourglass and runs none
    // of the form's handlers.
    bool Busy() const { return mBusy; }

    void ShowMessage(const std::string& text) override;
    bool Ask(const std::string& question) override;
    void ShowBusy(bool busy) override;
    void ProcessPendingEvents() override;
    std::string ProgramFolder() override;
    std::string ProgramArguments() override;
    void CloseWindow() override;

private:
    // Raises WindowClosed when the window is gone.
    void StillOpen() const;

    HWND mWindow = nullptr;
    bool mBusy = false;
};

}  // namespace kalvex
