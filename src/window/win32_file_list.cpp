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
    ::SetWindowLongPtrA(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    defaultProc_ =
        reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
}

LRESULT CALLBACK FileListBox::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* self = reinterpret_cast<FileListBox*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr || self->defaultProc_ == nullptr) return ::DefWindowProcA(hwnd, message, wParam, lParam);
    // The list handles the press first, so a left press has made the entry
    // under the pointer current before the window hears of it.
    const LRESULT result = ::CallWindowProcA(self->defaultProc_, hwnd, message, wParam, lParam);
    if (const int button = PressedButton(message)) {
        ::SendMessageA(::GetParent(hwnd), kFileListPressed, static_cast<WPARAM>(button | ModifierKeys(wParam) << 8),
                       lParam);
    }
    return result;
}

void FileListBox::SetFolder(const std::string& folder) {
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
    // The system picks the candidates; a name that fits the pattern only by
    // its short 8.3 form is left out below.
    const std::string search = path + (path.back() == '\\' ? "" : "\\") + kFileListPattern;
    const DWORD ended = ForEachFile(search, [&](const WIN32_FIND_DATAA& found) {
        // Ordinary and read-only files whose long name fits the pattern.
        const DWORD skipped = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        if ((found.dwFileAttributes & skipped) == 0 && MatchesFilePattern(found.cFileName, kFileListPattern)) {
            names.emplace_back(found.cFileName);
        }
        return true;
    });
    // A folder that cannot be listed (access denied, for one) is refused
    // like a missing one: the list keeps what it shows.
    if (ended != ERROR_NO_MORE_FILES && ended != ERROR_FILE_NOT_FOUND) throw Error(SystemErrorText(ended));

    ::SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(list_, LB_RESETCONTENT, 0, 0);
    for (const std::string& name : names) {
        ::SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    ::SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
    folder_ = path;
}

int FileListBox::Index() const {
    const LRESULT index = ::SendMessageA(list_, LB_GETCURSEL, 0, 0);
    return index == LB_ERR ? -1 : static_cast<int>(index);
}

std::string FileListBox::Item(int index) const {
    const LRESULT length = ::SendMessageA(list_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (index < 0 || length == LB_ERR || length <= 0) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT copied =
        ::SendMessageA(list_, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
    return text;
}

}  // namespace kalvex
