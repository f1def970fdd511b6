#include "win32_window.h"

#include <exception>

#include "frmKalvex.h"
#include "registration/win32_modules.h"
#include "shared/startup_marks.h"

namespace kalvex {

namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;  // fixed border, no min/max box
constexpr DWORD kWindowExStyle = 0;

Win32Window* FromHandle(HWND hwnd) { return reinterpret_cast<Win32Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

bool IsMaximizeCommand(int showCommand) { return showCommand == SW_MAXIMIZE || showCommand == SW_SHOWMAXIMIZED; }

}  // namespace

Win32Window::~Win32Window() {
    if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
}

template <typename Handler>
void Win32Window::Guarded(Handler&& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        ::MessageBoxW(hwnd_, W(Wide(std::string("Unexpected error:\r\n\r\n") + e.what())), W(Wide(kTitle)), MB_OK);
    } catch (...) {
        ::MessageBoxW(hwnd_, L"Unexpected error.", W(Wide(kTitle)), MB_OK);
    }
}

bool Win32Window::Create() {
    if (!CreateFrame()) return false;
    controls_ = std::make_unique<Win32Controls>(hwnd_, keys_);
    if (!controls_->Create(instance_, dpi_, fonts_)) return false;
    StartupMark("controls");
    keys_.Attach(hwnd_, ::GetDlgItem(hwnd_, ToInt(ControlId::text1)));
    toolkit_.Attach(hwnd_);
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
    wc.hInstance = instance_;
    wc.hIcon = ::LoadIconW(instance_, MAKEINTRESOURCEW(1));
    wc.hIconSm = static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = W(className);
    if (::RegisterClassExW(&wc) == 0) return false;
    StartupMark("window class and icons");

    if (HDC screen = ::GetDC(nullptr)) {
        dpi_ = ::GetDeviceCaps(screen, LOGPIXELSY);
        ::ReleaseDC(nullptr, screen);
    }
    if (dpi_ <= 0) dpi_ = 96;

    const int wantWidth = ::MulDiv(kClientWidthTwips, dpi_, 1440);
    const int wantHeight = ::MulDiv(kClientHeightTwips, dpi_, 1440);
    RECT frame = {0, 0, wantWidth, wantHeight};
    ::AdjustWindowRectEx(&frame, kWindowStyle, FALSE, kWindowExStyle);
    hwnd_ = ::CreateWindowExW(kWindowExStyle, W(className), W(Wide(kTitle)), kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance_, this);
    if (hwnd_ == nullptr) return false;
    StartupMark("main window");

    // The window manager may have adjusted the frame: make the client area exact.
    RECT client;
    ::GetClientRect(hwnd_, &client);
    RECT outer;
    ::GetWindowRect(hwnd_, &outer);
    const SIZE frameSize = {outer.right - outer.left + wantWidth - client.right,
                            outer.bottom - outer.top + wantHeight - client.bottom};
    if (client.right != wantWidth || client.bottom != wantHeight) {
        ::SetWindowPos(hwnd_, nullptr, 0, 0, frameSize.cx, frameSize.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // From now on the frame keeps this size, whatever asks for another.
    frameSize_ = frameSize;
    StartupMark("frame at its one size");
    return true;
}

void Win32Window::Show(int showCommand) {
    // The window has one size: a request to start maximized shows it as it is.
    ::ShowWindow(hwnd_, IsMaximizeCommand(showCommand) ? SW_SHOWNORMAL : showCommand);
    ::UpdateWindow(hwnd_);
    ::SetFocus(::GetDlgItem(hwnd_, ToInt(ControlId::text1)));
}

int Win32Window::Run() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchDialogMessage(hwnd_, msg);
    return 0;
}

LRESULT CALLBACK Win32Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<Win32Window*>(create->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    }
    Win32Window* self = FromHandle(hwnd);
    if (self == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

LRESULT Win32Window::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    // While a component runs, the window answers what other threads send it
    // (a component's broadcast among them), but none of the form's handlers
    // runs: the one that waits has not returned yet. Closing waits too.
    if (IsWaitingForWorker()) {
        switch (message) {
            case WM_COMMAND:
            case kFileListPressed:
            case WM_CLOSE:
            case WM_ENDSESSION: return 0;
            default: break;
        }
    }
    switch (message) {
        case WM_COMMAND:
            if (lParam != 0) OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case kFileListPressed: OnFileListPressed(wParam, lParam); return 0;
        case WM_DRAWITEM:
            Guarded([&] { Win32Controls::DrawColouredButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); });
            return TRUE;
        case WM_GETMINMAXINFO:
            if (frameSize_.cx > 0) {
                auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
                info->ptMaxSize = {frameSize_.cx, frameSize_.cy};
                info->ptMinTrackSize = info->ptMaxSize;
                info->ptMaxTrackSize = info->ptMaxSize;
                return 0;
            }
            break;
        case WM_WINDOWPOSCHANGING:
            if (frameSize_.cx > 0) {
                auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
                if ((position->flags & SWP_NOSIZE) == 0) {
                    position->cx = frameSize_.cx;
                    position->cy = frameSize_.cy;
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
            if (wParam == SIZE_MAXIMIZED) ::ShowWindow(hwnd_, SW_RESTORE);
            return 0;
        case DM_GETDEFID: return keys_.DefaultButtonId();
        case kMoveFocusOn: keys_.MoveFocusOn(reinterpret_cast<HWND>(wParam)); return 0;
        case WM_ACTIVATE:
            if (keys_.OnActivate(wParam)) return 0;
            break;
        case WM_SETCURSOR:
            if (toolkit_.Pointer() == kPointerHourglass) {
                ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
                return TRUE;
            }
            break;
        case WM_CLOSE:
            if (form_ != nullptr) {
                Guarded([&] { form_->Form_Unload(); });
                return 0;
            }
            break;
        case WM_ENDSESSION:
            if (wParam != 0 && form_ != nullptr) Guarded([&] { form_->Form_Unload(); });
            return 0;
        case WM_DESTROY: ::PostQuitMessage(0); return 0;
        default: break;
    }
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

void Win32Window::OnCommand(int id, int code) {
    if (form_ == nullptr) return;
    const ControlSpec* spec = FindControl(id);
    if (spec == nullptr) return;
    const bool button = spec->kind == ControlKind::Button || spec->kind == ControlKind::ColouredButton;
    // A drawn button reports the second press of a double click on its own;
    // it is a click like the first.
    if (button && (code == BN_CLICKED || (code == BN_DOUBLECLICKED && spec->kind == ControlKind::ColouredButton))) {
        Guarded([&] { form_->Click(spec->id); });
    } else if (spec->id == ControlId::text1 && code == EN_CHANGE) {
        Guarded([&] { form_->text1_Change(); });
    }
}

void Win32Window::OnFileListPressed(WPARAM wParam, LPARAM lParam) {
    if (form_ == nullptr) return;
    // Positions in twips, as the rest of the layout.
    const float x = static_cast<float>(::MulDiv(static_cast<short>(LOWORD(lParam)), 1440, dpi_));
    const float y = static_cast<float>(::MulDiv(static_cast<short>(HIWORD(lParam)), 1440, dpi_));
    Guarded([&] { form_->File1_MouseDown(static_cast<int>(wParam & 0xFF), static_cast<int>(wParam >> 8), x, y); });
}

}  // namespace kalvex
