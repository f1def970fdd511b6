#include "win32_handles.h"

namespace kalvex {

HMODULE LoadSystemLibrary(const char* name) {
    std::u16string path(MAX_PATH, u'\0');
    UINT length = ::GetSystemDirectoryW(W(path), static_cast<UINT>(path.size()));
    if (length >= path.size()) {
        path.resize(length);
        length = ::GetSystemDirectoryW(W(path), static_cast<UINT>(path.size()));
    }
    if (length == 0 || length >= path.size()) return nullptr;
    path.resize(length);
    path += u'\\';
    path += Wide(name);
    return ::LoadLibraryExW(W(path), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

std::string SystemErrorText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string result;
    if (length != 0 && text != nullptr) {
        result = Utf8(text, length);
        ::LocalFree(text);
        while (!result.empty() && (result.back() == '\r' || result.back() == '\n' || result.back() == ' ')) {
            result.pop_back();
        }
    }
    if (result.empty()) {
        // Digits by hand: the formatting library would double the program's size.
        std::string digits;
        do {
            digits.insert(digits.begin(), static_cast<char>('0' + code % 10));
            code /= 10;
        } while (code != 0);
        result = "Error " + digits;
    }
    return result;
}

}  // namespace kalvex
