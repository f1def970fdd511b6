#include "win32_dialog_keys.h"

#include "layout.h"

namespace kalvex {

namespace {

// A control that may take the focus: shown and enabled.
bool CanHoldFocus(HWND control) {
    return control != nullptr && ::IsWindow(control) && ::IsWindowVisible(control) && ::IsWindowEnabled(control);
}

bool IsButton(const ControlSpec* spec) {
    return spec != nullptr && (spec->kind == ControlKind::Button || spec->kind == ControlKind::ColouredButton);
}

}  // namespace

void DialogKeys::Attach(HWND window, HWND firstFocus) {
    window_ = window;
    savedFocus_ = firstFocus;
}

LRESULT DialogKeys::DefaultButtonId() const {
    // Enter presses the focused button; elsewhere it does nothing.
    HWND focus = ::GetFocus();
    if (focus == nullptr || ::GetParent(focus) != window_) return 0;
    const ControlSpec* spec = FindControl(::GetDlgCtrlID(focus));
    return IsButton(spec) ? MAKELRESULT(ToInt(spec->id), DC_HASDEFID) : 0;
}

bool DialogKeys::OnActivate(WPARAM wParam) {
    // Keep the focused control across deactivation, as a dialog does. A
    // hidden or disabled control never gets the focus back.
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus != nullptr && ::IsChild(window_, focus)) savedFocus_ = focus;
        return false;
    }
    HWND target = CanHoldFocus(savedFocus_) ? savedFocus_ : ::GetNextDlgTabItem(window_, nullptr, FALSE);
    if (!CanHoldFocus(target)) return false;
    ::SetFocus(target);
    return true;
}

void DialogKeys::Showing(HWND control, bool visible) {
    if (visible) return;
    // A hidden control must not keep the focus.
    if (::GetFocus() == control) ::PostMessageW(window_, kMoveFocusOn, reinterpret_cast<WPARAM>(control), 0);
    if (savedFocus_ == control) savedFocus_ = nullptr;
}

void DialogKeys::MoveFocusOn(HWND hidden) const {
    HWND focus = ::GetFocus();
    if (focus == nullptr || focus == window_ || (::IsChild(window_, focus) && !CanHoldFocus(focus))) {
        HWND next = ::GetNextDlgTabItem(window_, hidden, FALSE);
        if (CanHoldFocus(next)) ::SetFocus(next);
    }
}

}  // namespace kalvex
