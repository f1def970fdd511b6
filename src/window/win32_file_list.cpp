#include "win32_file_list.h"

#include <vector>

#include "layout.h"
#include "shared/error.h"
#include "shared/win32_handles.h"
#include "toolkit_text.h"

namespace kalvex {

namespace {

bool IsButtonPress(UINT message) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
        case WM_XBUTTONDOWN:
        case WM_XBUTTONDBLCLK: return true;
        default: return false;
    }
}

}  // namespace

void FileListBox::Attach(HWND list) {
    mList = list;
    ::SetWindowLongPtrW(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    mDefaultProc =
        reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
}

LRESULT CALLBACK FileListBox::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* self = reinterpret_cast<FileListBox*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr || self->mDefaultProc == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    // The list handles the press first, so a left press has made the entry
    // under the pointer current before the window hears of it.
    const LRESULT result = ::CallWindowProcW(self->mDefaultProc, hwnd, message, wParam, lParam);
    if (IsButtonPress(message)) ::SendMessageW(::GetParent(hwnd), kFileListPressed, 0, 0);
    return result;
}

void FileListBox::SetFolder(const std::string& folder) {
    if (folder.empty() || folder.find('\0') != std::string::npos) throw Error("No folder to list.");
    const QuietFileErrors quiet;
    const std::u16string wide = Wide(folder);
    const std::optional<std::u16string> full =
        GrowingText([&](wchar_t* buffer, DWORD size) { return ::GetFullPathNameW(W(wide), size, buffer, nullptr); });
    if (!full) throw Error("The folder's full name could not be made.");
    const std::string path = NormaliseListFolder(Utf8(*full));
    const DWORD attributes = ::GetFileAttributesW(W(Wide(path)));
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        throw Error("The folder is not there.");
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

    ::SendMessageW(mList, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(mList, LB_RESETCONTENT, 0, 0);
    for (const std::string& name : names) {
        ::SendMessageW(mList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(Wide(name))));
    }
    ::SendMessageW(mList, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(mList, nullptr, TRUE);
    mFolder = path;
}

int FileListBox::Index() const {
    const LRESULT index = ::SendMessageW(mList, LB_GETCURSEL, 0, 0);
    return index == LB_ERR ? -1 : static_cast<int>(index);
}

std::string FileListBox::Item(int index) const {
    const LRESULT length = ::SendMessageW(mList, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (index < 0 || length == LB_ERR || length <= 0) return std::string();
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    const LRESULT copied =
        ::SendMessageW(mList, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(W(text)));
    return copied == LB_ERR ? std::string() : Utf8(text.substr(0, static_cast<size_t>(copied)));
}

}  // namespace kalvex
