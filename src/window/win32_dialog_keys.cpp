#include "win32_dialog_keys.h"

#include "layout.h"

namespace kalvex {

namespace {

// A control that may take the focus: shown and enabled.
bool CanHoldFocus(HWND control) {
    return control != nullptr && ::IsWindow(control) && ::IsWindowVisible(control) && ::IsWindowEnabled(control);
}

}  // namespace

void DialogKeys::Attach(HWND window, HWND firstFocus) {
    mWindow = window;
    mSavedFocus = firstFocus;
}

LRESULT DialogKeys::DefaultButtonId() const {
    // Enter presses the focused button; elsewhere it does nothing.
    HWND focus = ::GetFocus();
    if (focus == nullptr || ::GetParent(focus) != mWindow) return 0;
    const ControlSpec* spec = FindControl(::GetDlgCtrlID(focus));
    return spec != nullptr && IsButton(*spec) ? MAKELRESULT(ToInt(spec->id), DC_HASDEFID) : 0;
}

bool DialogKeys::OnActivate(WPARAM wParam) {
    // Keep the focused control across deactivation, as a dialog does. A
    // hidden or disabled control never gets the focus back.
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus != nullptr && ::IsChild(mWindow, focus)) mSavedFocus = focus;
        return false;
    }
    HWND target = CanHoldFocus(mSavedFocus) ? mSavedFocus : ::GetNextDlgTabItem(mWindow, nullptr, FALSE);
    if (!CanHoldFocus(target)) return false;
    ::SetFocus(target);
    return true;
}

void DialogKeys::Showing(HWND control, bool visible) {
    if (visible) return;
    // A hidden control must not keep the focus.
    if (::GetFocus() == control) ::PostMessageW(mWindow, kMoveFocusOn, reinterpret_cast<WPARAM>(control), 0);
    if (mSavedFocus == control) mSavedFocus = nullptr;
}

void DialogKeys::MoveFocusOn(HWND hidden) const {
    HWND focus = ::GetFocus();
    if (focus == nullptr || focus == mWindow || (::IsChild(mWindow, focus) && !CanHoldFocus(focus))) {
        HWND next = ::GetNextDlgTabItem(mWindow, hidden, FALSE);
        if (CanHoldFocus(next)) ::SetFocus(next);
    }
}

}  // namespace kalvex
