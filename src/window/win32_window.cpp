#include "win32_window.h"

#include <exception>

#include "frmKalvex.h"
#include "toolkit_text.h"

namespace kalvex {

namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;  // fixed border, no min/max box
constexpr DWORD kWindowExStyle = 0;

Win32Window* FromHandle(HWND hwnd) { return reinterpret_cast<Win32Window*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA)); }

std::string WindowText(HWND hwnd) {
    const int length = ::GetWindowTextLengthA(hwnd);
    if (length <= 0) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(hwnd, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

bool IsButtonKind(ControlKind kind) { return kind == ControlKind::Button || kind == ControlKind::ColouredButton; }

// A control that may take the focus: shown and enabled.
bool CanHoldFocus(HWND control) {
    return control != nullptr && ::IsWindow(control) && ::IsWindowVisible(control) && ::IsWindowEnabled(control);
}

// Posted when the focused control was hidden: see SetVisible.
constexpr UINT kMoveFocusOn = WM_APP + 1;

bool IsMaximizeCommand(int showCommand) { return showCommand == SW_MAXIMIZE || showCommand == SW_SHOWMAXIMIZED; }

int CALLBACK FontExists(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

}  // namespace

Win32Window::Win32Window(HINSTANCE instance) : instance_(instance) {}

Win32Window::~Win32Window() {
    if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
}

template <typename Handler>
void Win32Window::Guarded(Handler&& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        ::MessageBoxA(hwnd_, (std::string("Unexpected error:\r\n\r\n") + e.what()).c_str(), kTitle, MB_OK);
    } catch (...) {
        ::MessageBoxA(hwnd_, "Unexpected error.", kTitle, MB_OK);
    }
}

bool Win32Window::Create() {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &Win32Window::WindowProc;
    wc.hInstance = instance_;
    wc.hIcon = ::LoadIconA(instance_, MAKEINTRESOURCEA(1));
    wc.hIconSm = static_cast<HICON>(::LoadImageA(instance_, MAKEINTRESOURCEA(1), IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    if (::RegisterClassExA(&wc) == 0) return false;

    {
        HDC screen = ::GetDC(nullptr);
        if (screen != nullptr) {
            dpi_ = ::GetDeviceCaps(screen, LOGPIXELSY);
            ::ReleaseDC(nullptr, screen);
        }
        if (dpi_ <= 0) dpi_ = 96;
    }

    const int wantWidth = TwipsToPixels(kClientWidthTwips, dpi_);
    const int wantHeight = TwipsToPixels(kClientHeightTwips, dpi_);
    RECT frame = {0, 0, wantWidth, wantHeight};
    ::AdjustWindowRectEx(&frame, kWindowStyle, FALSE, kWindowExStyle);
    hwnd_ = ::CreateWindowExA(kWindowExStyle, kWindowClass, kTitle, kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance_, this);
    if (hwnd_ == nullptr) return false;
    // Also as the window's own icons, which the task switcher asks for.
    ::SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(wc.hIcon));
    ::SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(wc.hIconSm));

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

    // Children are stacked in tab-index order: the keyboard walks the stack.
    for (const ControlSpec& spec : ControlsInTabOrder()) {
        const char* className = "STATIC";
        DWORD style = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_CLIPSIBLINGS;
        DWORD exStyle = 0;
        switch (spec.kind) {
            case ControlKind::Label: style |= SS_LEFT | SS_NOPREFIX; break;
            case ControlKind::Button:
                className = "BUTTON";
                style |= WS_TABSTOP | BS_PUSHBUTTON;
                break;
            case ControlKind::ColouredButton:
                className = "BUTTON";
                style |= WS_TABSTOP | BS_OWNERDRAW;
                break;
            case ControlKind::TextBox:
                className = "EDIT";
                style |= WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
                exStyle |= WS_EX_CLIENTEDGE;
                break;
            case ControlKind::FileList:
                className = "LISTBOX";
                style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_SORT | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;
                exStyle |= WS_EX_CLIENTEDGE;
                break;
        }
        HWND child = ::CreateWindowExA(
            exStyle, className, spec.caption, style, TwipsToPixels(spec.left, dpi_), TwipsToPixels(spec.top, dpi_),
            TwipsToPixels(spec.width, dpi_), TwipsToPixels(spec.height, dpi_), hwnd_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(ToInt(spec.id))), instance_, nullptr);
        if (child == nullptr) return false;
        ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(spec.font)), FALSE);
        if (spec.kind == ControlKind::TextBox) ::SendMessageA(child, EM_LIMITTEXT, 0, 0);
        if (spec.kind == ControlKind::FileList) {
            fileListDefaultProc_ = reinterpret_cast<WNDPROC>(
                ::SetWindowLongPtrA(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32Window::FileListProc)));
            ::SetWindowLongPtrA(child, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        }
    }

    // Until start-up points it elsewhere, the file list shows the current folder.
    char current[MAX_PATH + 1] = {};
    if (::GetCurrentDirectoryA(MAX_PATH, current) != 0) {
        try {
            SetListFolder(ControlId::File1, current);
        } catch (const std::exception&) {
        }
    }
    savedFocus_ = Control(ControlId::text1);
    return true;
}

void Win32Window::Show(int showCommand) {
    // The window has one size: a request to start maximized shows it as it is.
    ::ShowWindow(hwnd_, IsMaximizeCommand(showCommand) ? SW_SHOWNORMAL : showCommand);
    ::UpdateWindow(hwnd_);
    ::SetFocus(Control(ControlId::text1));
}

bool Win32Window::DispatchToWindow(MSG& msg) {
    if (msg.message == WM_QUIT) return false;
    if (hwnd_ == nullptr || !::IsDialogMessageA(hwnd_, &msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return true;
}

int Win32Window::Run() {
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchToWindow(msg);
    return 0;
}

HWND Win32Window::Control(ControlId id) const { return ::GetDlgItem(hwnd_, ToInt(id)); }

std::string Win32Window::ChooseFace(const char* wanted) {
    // The face itself where it is installed, else the closest relative.
    const char* candidates[] = {wanted, "Microsoft Sans Serif", "Tahoma", "Arial"};
    HDC screen = ::GetDC(nullptr);
    std::string chosen = wanted;
    for (const char* face : candidates) {
        LOGFONTA query = {};
        query.lfCharSet = ANSI_CHARSET;
        lstrcpynA(query.lfFaceName, face, LF_FACESIZE);
        bool found = false;
        ::EnumFontFamiliesExA(screen, &query, &FontExists, reinterpret_cast<LPARAM>(&found), 0);
        if (found) {
            chosen = face;
            break;
        }
    }
    ::ReleaseDC(nullptr, screen);
    return chosen;
}

HFONT Win32Window::FontFor(const FontSpec& spec) {
    // Controls that share a font share one font object.
    const std::string face = spec.face != nullptr ? spec.face : "";
    for (const CachedFont& cached : fontCache_) {
        if (cached.face == face && cached.weight == spec.weight && cached.size == spec.size) return cached.font;
    }
    const HFONT font = spec.face == nullptr ? CreateDefaultFont() : CreateLayoutFont(spec);
    fontCache_.push_back(CachedFont{face, spec.weight, spec.size, font});
    return font;
}

HFONT Win32Window::CreateDefaultFont() {
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof(metrics);
    BOOL ok = ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
    if (!ok) {
        // Systems before Vista know the structure without its last field.
        metrics.cbSize = sizeof(metrics) - sizeof(metrics.iPaddedBorderWidth);
        ok = ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
    }
    HFONT font = ok ? ::CreateFontIndirectA(&metrics.lfMessageFont) : nullptr;
    if (font == nullptr) return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    fonts_.emplace_back(font);
    return font;
}

HFONT Win32Window::CreateLayoutFont(const FontSpec& spec) {
    LOGFONTA lf = {};
    lf.lfHeight = -PointSizeToPixels(spec.size, dpi_);
    lf.lfWeight = spec.weight;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    lstrcpynA(lf.lfFaceName, ChooseFace(spec.face).c_str(), LF_FACESIZE);
    HFONT font = ::CreateFontIndirectA(&lf);
    if (font == nullptr) return FontFor(FontSpec{nullptr, 400, 0});
    fonts_.emplace_back(font);
    return font;
}

// ---- window procedure ----

LRESULT CALLBACK Win32Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* self = static_cast<Win32Window*>(create->lpCreateParams);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    }
    Win32Window* self = FromHandle(hwnd);
    if (self == nullptr) return ::DefWindowProcA(hwnd, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

LRESULT Win32Window::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (lParam != 0) OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_DRAWITEM:
            Guarded([&] { DrawColouredButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); });
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
        case DM_GETDEFID: return DefaultButtonId();
        case kMoveFocusOn: {
            HWND focus = ::GetFocus();
            if (focus == nullptr || focus == hwnd_ || (::IsChild(hwnd_, focus) && !CanHoldFocus(focus))) {
                HWND next = ::GetNextDlgTabItem(hwnd_, reinterpret_cast<HWND>(wParam), FALSE);
                if (CanHoldFocus(next)) ::SetFocus(next);
            }
            return 0;
        }
        case WM_ACTIVATE:
            // Keep the focused control across deactivation, as a dialog does.
            // A hidden or disabled control never gets the focus back.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = ::GetFocus();
                if (focus != nullptr && ::IsChild(hwnd_, focus)) savedFocus_ = focus;
            } else {
                HWND target = CanHoldFocus(savedFocus_) ? savedFocus_ : ::GetNextDlgTabItem(hwnd_, nullptr, FALSE);
                if (CanHoldFocus(target)) {
                    ::SetFocus(target);
                    return 0;
                }
            }
            break;
        case WM_SETCURSOR:
            if (pointer_ == kPointerHourglass) {
                ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
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
    return ::DefWindowProcA(hwnd_, message, wParam, lParam);
}

void Win32Window::OnCommand(int id, int code) {
    if (form_ == nullptr) return;
    const ControlSpec* spec = FindControl(id);
    if (spec == nullptr) return;
    if (IsButtonKind(spec->kind)) {
        // A drawn button reports the second press of a double click on its
        // own; it is a click like the first.
        if (code == BN_CLICKED || (code == BN_DOUBLECLICKED && spec->kind == ControlKind::ColouredButton)) {
            Guarded([&] { form_->Click(spec->id); });
        }
    } else if (spec->id == ControlId::text1 && code == EN_CHANGE) {
        Guarded([&] { form_->text1_Change(); });
    }
}

LRESULT Win32Window::DefaultButtonId() {
    // Enter presses the focused button; elsewhere it does nothing.
    HWND focus = ::GetFocus();
    if (focus == nullptr || ::GetParent(focus) != hwnd_) return 0;
    const ControlSpec* spec = FindControl(::GetDlgCtrlID(focus));
    if (spec == nullptr || !IsButtonKind(spec->kind)) return 0;
    return MAKELRESULT(ToInt(spec->id), DC_HASDEFID);
}

LRESULT CALLBACK Win32Window::FileListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32Window* self = FromHandle(hwnd);
    if (self == nullptr || self->fileListDefaultProc_ == nullptr)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    // The list handles the press first, so a left press has made the
    // entry under the pointer current before the handler reads it.
    const LRESULT result = ::CallWindowProcA(self->fileListDefaultProc_, hwnd, message, wParam, lParam);
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
        case WM_XBUTTONDOWN:
        case WM_XBUTTONDBLCLK: self->OnFileListPress(message, wParam, lParam); break;
        default: break;
    }
    return result;
}

void Win32Window::OnFileListPress(UINT message, WPARAM wParam, LPARAM lParam) {
    if (form_ == nullptr) return;
    int button = 1;  // left
    if (message == WM_RBUTTONDOWN || message == WM_RBUTTONDBLCLK) button = 2;
    if (message == WM_MBUTTONDOWN || message == WM_MBUTTONDBLCLK) button = 4;
    if (message == WM_XBUTTONDOWN || message == WM_XBUTTONDBLCLK) button = 8;
    int shift = 0;
    if (wParam & MK_SHIFT) shift |= 1;
    if (wParam & MK_CONTROL) shift |= 2;
    if (::GetKeyState(VK_MENU) < 0) shift |= 4;
    // Positions in twips, as the rest of the layout.
    const float x = static_cast<float>(static_cast<short>(LOWORD(lParam))) * 1440.0f / static_cast<float>(dpi_);
    const float y = static_cast<float>(static_cast<short>(HIWORD(lParam))) * 1440.0f / static_cast<float>(dpi_);
    Guarded([&] { form_->File1_MouseDown(button, shift, x, y); });
}

void Win32Window::DrawColouredButton(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_BUTTON) return;
    HDC dc = item.hDC;
    RECT rect = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    ::FillRect(dc, &rect, ::GetSysColorBrush(COLOR_INFOBK));
    ::DrawEdge(dc, &rect, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);

    const std::string caption = WindowText(item.hwndItem);
    HGDIOBJ oldFont = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(item.hwndItem, WM_GETFONT, 0, 0)));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor((item.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_INFOTEXT));
    RECT textRect = rect;
    if (pressed) ::OffsetRect(&textRect, 1, 1);
    ::DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &textRect,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    ::SelectObject(dc, oldFont);

    if (item.itemState & ODS_FOCUS) {
        RECT focusRect = rect;
        ::InflateRect(&focusRect, -4, -4);
        ::DrawFocusRect(dc, &focusRect);
    }
}

// ---- Controls ----

void Win32Window::SetVisible(ControlId id, bool visible) {
    HWND control = Control(id);
    if (control == nullptr) throw Error("Control not found");
    const bool hadFocus = !visible && ::GetFocus() == control;
    ::ShowWindow(control, visible ? SW_SHOWNA : SW_HIDE);
    // A hidden control must not keep the focus. The next tab stop takes it
    // over once the handler has finished, so that a mode switch has shown
    // its own buttons by then.
    if (hadFocus) ::PostMessageA(hwnd_, kMoveFocusOn, reinterpret_cast<WPARAM>(control), 0);
    if (savedFocus_ == control && !visible) savedFocus_ = nullptr;
}

void Win32Window::SetText(ControlId id, const std::string& text) {
    HWND control = Control(id);
    if (control == nullptr) throw Error("Control not found");
    // The text box raises its change notification for this as for typing.
    if (!::SetWindowTextA(control, text.c_str())) throw Error(SystemErrorText(::GetLastError()));
}

std::string Win32Window::Text(ControlId id) {
    HWND control = Control(id);
    if (control == nullptr) throw Error("Control not found");
    return WindowText(control);
}

void Win32Window::SetLocked(ControlId id, bool locked) {
    HWND control = Control(id);
    if (control == nullptr) throw Error("Control not found");
    ::SendMessageA(control, EM_SETREADONLY, locked ? TRUE : FALSE, 0);
}

void Win32Window::SetListFolder(ControlId id, const std::string& folder) {
    HWND list = Control(id);
    if (list == nullptr) throw Error("Control not found");
    if (folder.empty() || folder.find('\0') != std::string::npos) throw Error("Path not found");

    char full[MAX_PATH * 2] = {};
    const DWORD length = ::GetFullPathNameA(folder.c_str(), sizeof(full), full, nullptr);
    if (length == 0 || length >= sizeof(full)) throw Error("Path not found");
    const std::string path = NormaliseListFolder(full);
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        throw Error("Path not found");
    }

    std::vector<std::string> names;
    std::string search = path;
    if (search.back() != '\\') search += '\\';
    search += '*';
    WIN32_FIND_DATAA found;
    UniqueFind find(::FindFirstFileA(search.c_str(), &found));
    // A folder that cannot be listed (access denied, for one) is refused
    // like a missing one: the list keeps what it shows.
    if (!find && ::GetLastError() != ERROR_FILE_NOT_FOUND) throw Error(SystemErrorText(::GetLastError()));
    if (find) {
        do {
            // Ordinary and read-only files whose long name fits the pattern.
            if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) {
                continue;
            }
            if (MatchesFilePattern(found.cFileName, kFileListPattern)) names.emplace_back(found.cFileName);
        } while (::FindNextFileA(find.get(), &found));
        if (::GetLastError() != ERROR_NO_MORE_FILES) throw Error(SystemErrorText(::GetLastError()));
    }

    ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& name : names) {
        ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
    listFolder_ = path;
}

std::string Win32Window::ListFolder(ControlId id) {
    if (Control(id) == nullptr) throw Error("Control not found");
    return listFolder_;
}

int Win32Window::ListIndex(ControlId id) {
    HWND list = Control(id);
    if (list == nullptr) throw Error("Control not found");
    const LRESULT index = ::SendMessageA(list, LB_GETCURSEL, 0, 0);
    return index == LB_ERR ? -1 : static_cast<int>(index);
}

std::string Win32Window::ListItem(ControlId id, int index) {
    HWND list = Control(id);
    if (list == nullptr) throw Error("Control not found");
    const LRESULT length = ::SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (index < 0 || length == LB_ERR || length <= 0) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT copied =
        ::SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
    return text;
}

// ---- Toolkit ----

void Win32Window::MsgBox(const std::string& text) { ::MessageBoxA(hwnd_, text.c_str(), kTitle, MB_OK); }

void Win32Window::DoEvents() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave it for the main loop.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        DispatchToWindow(msg);
    }
}

std::string Win32Window::AppPath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) throw Error(SystemErrorText(::GetLastError()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return FolderOfModulePath(path);
}

std::string Win32Window::CommandLine() {
    const char* line = ::GetCommandLineA();
    return ArgumentsOfCommandLine(line != nullptr ? line : "");
}

std::string Win32Window::Dir(const std::string& path, int attributes) {
    if (path.empty()) return std::string();
    if (path.find('\0') != std::string::npos) throw Error("Bad file name or number");
    WIN32_FIND_DATAA found;
    UniqueFind find(::FindFirstFileA(path.c_str(), &found));
    if (!find) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_NO_MORE_FILES) {
            return std::string();
        }
        throw Error(SystemErrorText(error));
    }
    // Mask bits as the toolkit defines them: 2 hidden, 4 system, 16 folder.
    DWORD excluded = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
    if (attributes & 2) excluded &= ~static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN);
    if (attributes & 4) excluded &= ~static_cast<DWORD>(FILE_ATTRIBUTE_SYSTEM);
    if (attributes & 16) excluded &= ~static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY);
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if ((found.dwFileAttributes & excluded) == 0) return name;
    } while (::FindNextFileA(find.get(), &found));
    return std::string();
}

void Win32Window::SetMousePointer(int pointer) {
    pointer_ = pointer;
    ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(pointer == kPointerHourglass ? IDC_WAIT : IDC_ARROW)));
}

void Win32Window::UnloadWindow() { ::SendMessageA(hwnd_, WM_CLOSE, 0, 0); }

void Win32Window::EndProgram() { ::ExitProcess(0); }

}  // namespace kalvex
