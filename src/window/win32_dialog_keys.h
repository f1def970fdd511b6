// What a dialog does for the keyboard, for a window that is not one: Enter
// presses the focused button, the focused control is kept across
// deactivation, and a control that is hidden while it has the focus hands it
// on to the next tab stop. Tab and the arrow keys come from IsDialogMessage
// in the message loop. Windows only.
#pragma once

#include <windows.h>

namespace kalvex {

// Posted to the window when the focused control was hidden; wParam is that
// control.
constexpr UINT kMoveFocusOn = WM_APP + 1;

class DialogKeys {
public:
    void Attach(HWND window, HWND firstFocus);

    // DM_GETDEFID: the focused button's id, or none.
    LRESULT DefaultButtonId() const;
    // WM_ACTIVATE; true when it set the focus itself.
    bool OnActivate(WPARAM wParam);
    // A control is about to be shown or hidden.
    void Showing(HWND control, bool visible);
    // kMoveFocusOn: once the handler that hid `hidden` has finished, so that
    // a mode switch has shown its own buttons by then.
    void MoveFocusOn(HWND hidden) const;

private:
    HWND mWindow = nullptr;
    HWND mSavedFocus = nullptr;
};

}  // namespace kalvex
