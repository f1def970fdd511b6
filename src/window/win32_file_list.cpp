#include "win32_file_list.h"

#include <vector>

#include "layout.h"
#include "shared/basic_types.h"
#include "shared/win32_handles.h"
#include "toolkit_text.h"

namespace kalvex {

namespace {

int PressedButton(UINT message) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: return 1;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK: return 2;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK: return 4;
        case WM_XBUTTONDOWN:
        case WM_XBUTTONDBLCLK: return 8;
        default: return 0;
    }
}

int ModifierKeys(WPARAM wParam) {
    int shift = 0;
    if (wParam & MK_SHIFT) shift |= 1;
    if (wParam & MK_CONTROL) shift |= 2;
    if (::GetKeyState(VK_MENU) < 0) shift |= 4;
    return shift;
}

}  // namespace

void FileListBox::Attach(HWND list) {
    list_ = list;
    ::SetWindowLongPtrW(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    defaultProc_ =
        reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
}

LRESULT CALLBACK FileListBox::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* self = reinterpret_cast<FileListBox*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr || self->defaultProc_ == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    // The list handles the press first, so a left press has made the entry
    // under the pointer current before the window hears of it.
    const LRESULT result = ::CallWindowProcW(self->defaultProc_, hwnd, message, wParam, lParam);
    if (const int button = PressedButton(message)) {
        ::SendMessageW(::GetParent(hwnd), kFileListPressed, static_cast<WPARAM>(button | ModifierKeys(wParam) << 8),
                       lParam);
    }
    return result;
}

void FileListBox::SetFolder(const std::string& folder) {
    if (folder.empty() || folder.find('\0') != std::string::npos) throw Error("Path not found");
    wchar_t full[MAX_PATH * 2] = {};
    const DWORD length = ::GetFullPathNameW(W(Wide(folder)), MAX_PATH * 2, full, nullptr);
    if (length == 0 || length >= MAX_PATH * 2) throw Error("Path not found");
    const std::string path = NormaliseListFolder(Utf8(full, length));
    const DWORD attributes = ::GetFileAttributesW(W(Wide(path)));
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        throw Error("Path not found");
    }

    std::vector<std::string> names;
    // The system picks the candidates; a name that fits the pattern only by
    // its short 8.3 form is left out below.
    const std::string search = path + (path.back() == '\\' ? "" : "\\") + kFileListPattern;
    const DWORD ended = ForEachFile(search, [&](const std::string& name, DWORD attributes) {
        // Ordinary and read-only files whose long name fits the pattern.
        const DWORD skipped = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        if ((attributes & skipped) == 0 && MatchesFilePattern(name, kFileListPattern)) names.push_back(name);
        return true;
    });
    // A folder that cannot be listed (access denied, for one) is refused
    // like a missing one: the list keeps what it shows.
    if (ended != ERROR_NO_MORE_FILES && ended != ERROR_FILE_NOT_FOUND) throw Error(SystemErrorText(ended));

    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    for (const std::string& name : names) {
        ::SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(Wide(name))));
    }
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
    folder_ = path;
}

int FileListBox::Index() const {
    const LRESULT index = ::SendMessageW(list_, LB_GETCURSEL, 0, 0);
    return index == LB_ERR ? -1 : static_cast<int>(index);
}

std::string FileListBox::Item(int index) const {
    const LRESULT length = ::SendMessageW(list_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (index < 0 || length == LB_ERR || length <= 0) return std::string();
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    const LRESULT copied =
        ::SendMessageW(list_, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(W(text)));
    return copied == LB_ERR ? std::string() : Utf8(text.substr(0, static_cast<size_t>(copied)));
}

}  // namespace kalvex
