#include "win32_handles.h"

#include "format.h"

namespace kalvex {

std::optional<std::u16string> SystemFolder() {
    return GrowingText([](wchar_t* buffer, DWORD size) { return ::GetSystemDirectoryW(buffer, size); });
}

HMODULE LoadSystemLibrary(const char* name) {
    std::optional<std::u16string> path = SystemFolder();
    if (!path) return nullptr;
    *path += u'\\';
    *path += Wide(name);
    return ::LoadLibraryExW(W(*path), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
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
    if (result.empty()) result = "Error " + Decimal(code);
    return result;
}

}  // namespace kalvex
