#include "win32_controls.h"

#include "shared/error.h"
#include "shared/win32_handles.h"

namespace kalvex {

namespace {

struct WindowKind {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

WindowKind KindOf(ControlKind kind) {
    const DWORD common = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_CLIPSIBLINGS;
    switch (kind) {
        case ControlKind::Button: return {L"BUTTON", common | WS_TABSTOP | BS_PUSHBUTTON, 0};
        case ControlKind::ColouredButton: return {L"BUTTON", common | WS_TABSTOP | BS_OWNERDRAW, 0};
        case ControlKind::TextBox: return {L"EDIT", common | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
        case ControlKind::FileList:
            return {L"LISTBOX",
                    common | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_SORT | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                    WS_EX_CLIENTEDGE};
        case ControlKind::Label: break;
    }
    return {L"STATIC", common | SS_LEFT | SS_NOPREFIX, 0};
}

std::u16string WindowText(HWND hwnd) {
    const int length = ::GetWindowTextLengthW(hwnd);
    if (length <= 0) return std::u16string();
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    const int copied = ::GetWindowTextW(hwnd, W(text), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

}  // namespace

bool Win32Controls::Create(HINSTANCE instance, int dpi, FontCache& fonts) {
    // Children are stacked in tab-index order: the keyboard walks the stack.
    for (const ControlSpec& spec : ControlsInTabOrder()) {
        WindowKind kind = KindOf(spec.kind);
        // The version label draws each of its two lines on one line, so that however long a value
        // is, the next line stays where it belongs.
        if (spec.id == ControlId::lblFileInfo) kind.style = (kind.style & ~SS_TYPEMASK) | SS_LEFTNOWORDWRAP;
        const auto twips = [dpi](int value) { return ::MulDiv(value, dpi, 1440); };
        const auto menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(ToInt(spec.id)));
        HWND child =
            ::CreateWindowExW(kind.exStyle, kind.className, W(Wide(spec.caption)), kind.style, twips(spec.left),
                              twips(spec.top), twips(spec.width), twips(spec.height), mWindow, menu, instance, nullptr);
        if (child == nullptr) return false;
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.For(spec.font, dpi)), FALSE);
        if (spec.kind == ControlKind::TextBox) ::SendMessageW(child, EM_LIMITTEXT, 0, 0);
        if (spec.kind == ControlKind::FileList) mFileList.Attach(child);
    }
    return true;
}

void Win32Controls::DrawColouredButton(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_BUTTON) return;
    HDC dc = item.hDC;
    RECT rect = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    ::FillRect(dc, &rect, ::GetSysColorBrush(COLOR_INFOBK));
    ::DrawEdge(dc, &rect, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);

    const std::u16string caption = WindowText(item.hwndItem);
    HGDIOBJ oldFont = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor((item.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_INFOTEXT));
    RECT textRect = rect;
    if (pressed) ::OffsetRect(&textRect, 1, 1);
    ::DrawTextW(dc, W(caption), static_cast<int>(caption.size()), &textRect,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    ::SelectObject(dc, oldFont);

    if (item.itemState & ODS_FOCUS) {
        RECT focusRect = rect;
        ::InflateRect(&focusRect, -4, -4);
        ::DrawFocusRect(dc, &focusRect);
    }
}

HWND Win32Controls::Find(ControlId id) const {
    HWND control = ::GetDlgItem(mWindow, ToInt(id));
    if (control == nullptr) throw Error("The window has no such control.");
    return control;
}

FileListBox& Win32Controls::List(ControlId id) {
    if (id != ControlId::File1) throw Error("The window has no such control.");
    return mFileList;
}

void Win32Controls::SetVisible(ControlId id, bool visible) {
    HWND control = Find(id);
    mKeys.Showing(control, visible);
    ::ShowWindow(control, visible ? SW_SHOWNA : SW_HIDE);
}

void Win32Controls::SetText(ControlId id, const std::string& text) {
    // The text box raises its change notification for this as for typing.
    if (!::SetWindowTextW(Find(id), W(Wide(text)))) throw Error(SystemErrorText(::GetLastError()));
}

std::string Win32Controls::Text(ControlId id) { return Utf8(WindowText(Find(id))); }

void Win32Controls::SetLocked(ControlId id, bool locked) {
    ::SendMessageW(Find(id), EM_SETREADONLY, locked ? TRUE : FALSE, 0);
}

void Win32Controls::SetListFolder(ControlId id, const std::string& folder) { List(id).SetFolder(folder); }

std::string Win32Controls::ListFolder(ControlId id) { return List(id).Folder(); }

int Win32Controls::ListIndex(ControlId id) { return List(id).Index(); }

std::string Win32Controls::ListItem(ControlId id, int index) { return List(id).Item(index); }

}  // namespace kalvex
