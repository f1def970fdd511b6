#include "win32_window.h"

#include <exception>
#include <utility>

#include "frmKalvex.h"
#include "shared/startup_marks.h"

namespace kalvex {

namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;  // fixed border, no min/max box
constexpr DWORD kWindowExStyle = 0;

Win32Window* FromHandle(HWND hwnd) { return reinterpret_cast<Win32Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

bool IsMaximizeCommand(int showCommand) { return showCommand == SW_MAXIMIZE || showCommand == SW_SHOWMAXIMIZED; }

}  // namespace

Win32Window::~Win32Window() {
    if (mHwnd != nullptr) ::DestroyWindow(mHwnd);
}

template <typename Handler>
void Win32Window::Guarded(Handler&& handler) {
    try {
        handler();
    } catch (const WindowClosed&) {
    } catch (const std::exception& e) {
        ::MessageBoxW(mHwnd, W(Wide(std::string("Unexpected error:\r\n\r\n") + e.what())), W(Wide(kTitle)), MB_OK);
    } catch (...) {
        ::MessageBoxW(mHwnd, L"Unexpected error.", W(Wide(kTitle)), MB_OK);
    }
}

bool Win32Window::Create() {
    if (!CreateFrame()) return false;
    mControls = std::make_unique<Win32Controls>(mHwnd, mKeys);
    if (!mControls->Create(mInstance, mDpi, mFonts)) return false;
    StartupMark("controls");
    mKeys.Attach(mHwnd, ::GetDlgItem(mHwnd, ToInt(ControlId::text1)));
    mToolkit.Attach(mHwnd);
    // The file list stays empty until start-up points it at its folder.
    return true;
}

// The window with its icons, its client area exactly the layout's size at
// the screen's dpi.
bool Win32Window::CreateFrame() {
    const std::u16string className = Wide(kWindowClass);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &Win32Window::WindowProc;
    wc.hInstance = mInstance;
    wc.hIcon = ::LoadIconW(mInstance, MAKEINTRESOURCEW(1));
    wc.hIconSm = static_cast<HICON>(::LoadImageW(mInstance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = W(className);
    if (::RegisterClassExW(&wc) == 0) return false;
    StartupMark("window class and icons");

    if (HDC screen = ::GetDC(nullptr)) {
        mDpi = ::GetDeviceCaps(screen, LOGPIXELSY);
        ::ReleaseDC(nullptr, screen);
    }
    if (mDpi <= 0) mDpi = 96;

    const int wantWidth = ::MulDiv(kClientWidthTwips, mDpi, 1440);
    const int wantHeight = ::MulDiv(kClientHeightTwips, mDpi, 1440);
    RECT frame = {0, 0, wantWidth, wantHeight};
    ::AdjustWindowRectEx(&frame, kWindowStyle, FALSE, kWindowExStyle);
    mHwnd = ::CreateWindowExW(kWindowExStyle, W(className), W(Wide(kTitle)), kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, mInstance, this);
    if (mHwnd == nullptr) return false;
    StartupMark("main window");

    // The window manager may have adjusted the frame: make the client area exact.
    RECT client;
    ::GetClientRect(mHwnd, &client);
    RECT outer;
    ::GetWindowRect(mHwnd, &outer);
    const SIZE frameSize = {outer.right - outer.left + wantWidth - client.right,
                            outer.bottom - outer.top + wantHeight - client.bottom};
    if (client.right != wantWidth || client.bottom != wantHeight) {
        ::SetWindowPos(mHwnd, nullptr, 0, 0, frameSize.cx, frameSize.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // From now on the frame keeps this size, whatever asks for another.
    mFrameSize = frameSize;
    StartupMark("frame at its one size");
    return true;
}

void Win32Window::Show(int showCommand) {
    // The window has one size: a request to start maximized shows it as it is.
    ::ShowWindow(mHwnd, IsMaximizeCommand(showCommand) ? SW_SHOWNORMAL : showCommand);
    ::UpdateWindow(mHwnd);
    ::SetFocus(::GetDlgItem(mHwnd, ToInt(ControlId::text1)));
}

LRESULT CALLBACK Win32Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<Win32Window*>(create->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->mHwnd = hwnd;
    }
    Win32Window* self = FromHandle(hwnd);
    if (self == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

LRESULT Win32Window::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    // While a component runs, the window answers what other threads send it
    // (a component's broadcast among them), but none of the form's handlers
    // runs: the one that waits has not returned yet. Closing is refused, and
    // so is the end of the session, which would end the program inside the
    // component's registration.
    if (mToolkit.Busy()) {
        switch (message) {
            case WM_COMMAND:
            case kFileListPressed:
            case WM_CLOSE:
            case WM_QUERYENDSESSION: return 0;  // for the session's end: FALSE, not now
            default: break;
        }
    }
    switch (message) {
        case WM_COMMAND:
            if (lParam != 0) OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case kFileListPressed:
            if (mForm != nullptr) Guarded([&] { mForm->File1_MouseDown(); });
            return 0;
        case WM_DRAWITEM:
            Guarded([&] { Win32Controls::DrawColouredButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); });
            return TRUE;
        case WM_GETMINMAXINFO:
            if (mFrameSize.cx > 0) {
                auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
                info->ptMaxSize = {mFrameSize.cx, mFrameSize.cy};
                info->ptMinTrackSize = info->ptMaxSize;
                info->ptMaxTrackSize = info->ptMaxSize;
                return 0;
            }
            break;
        case WM_WINDOWPOSCHANGING:
            if (mFrameSize.cx > 0) {
                auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
                if ((position->flags & SWP_NOSIZE) == 0) {
                    position->cx = mFrameSize.cx;
                    position->cy = mFrameSize.cy;
                }
            }
            break;
        case WM_SYSCOMMAND:
            // Neither maximizing nor sizing: the general section stays out of view.
            if ((wParam & 0xFFF0) == SC_MAXIMIZE || (wParam & 0xFFF0) == SC_SIZE) return 0;
            break;
        case WM_SIZE:
            // Maximized all the same (by another program, or by a start that
            // Windows shows maximized whatever the first ShowWindow asks): a
            // maximized window could not be moved, so it goes back to its
            // normal place at once.
            if (wParam == SIZE_MAXIMIZED) ::ShowWindow(mHwnd, SW_RESTORE);
            return 0;
        case DM_GETDEFID: return mKeys.DefaultButtonId();
        case kMoveFocusOn: mKeys.MoveFocusOn(reinterpret_cast<HWND>(wParam)); return 0;
        case WM_ACTIVATE:
            if (mKeys.OnActivate(wParam)) return 0;
            break;
        case WM_SETCURSOR:
            if (mToolkit.Busy()) {
                ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
                return TRUE;
            }
            break;
        case WM_CLOSE: ::DestroyWindow(mHwnd); return 0;
        case WM_DESTROY: ::PostQuitMessage(0); return 0;
        case WM_NCDESTROY: return ::DefWindowProcW(std::exchange(mHwnd, nullptr), message, wParam, lParam);
        default: break;
    }
    return ::DefWindowProcW(mHwnd, message, wParam, lParam);
}

// Only tells a click from a change here; which handler a control's click
// runs is the form's to say (frmKalvex::Click).
void Win32Window::OnCommand(int id, int code) {
    if (mForm == nullptr) return;
    const ControlSpec* spec = FindControl(id);
    if (spec == nullptr) return;
    if (spec->id == ControlId::text1) {
        if (code == EN_CHANGE) Guarded([&] { mForm->text1_Change(); });
        return;
    }
    // A drawn button reports the second press of a double click on its own;
    // it is a click like the first.
    if (code == BN_CLICKED || (code == BN_DOUBLECLICKED && spec->kind == ControlKind::ColouredButton)) {
        Guarded([&] { mForm->Click(spec->id); });
    }
}

}  // namespace kalvex
