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

namespace kalvex {

std::optional<ReadOnlyMapping> ReadOnlyMapping::Open(const std::string& path) {
    const QuietFileErrors quiet;
    const UniqueFile file(::CreateFileW(W(Wide(path)), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0) return std::nullopt;
    ReadOnlyMapping mapped;
    if (size.QuadPart == 0) return mapped;
    mapped.mSize = static_cast<std::size_t>(size.QuadPart);
    if (static_cast<LONGLONG>(mapped.mSize) != size.QuadPart) return std::nullopt;  // more than the address space
    mapped.mMapping.Reset(::CreateFileMappingW(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapped.mMapping) return std::nullopt;
    mapped.mView.Reset(::MapViewOfFile(mapped.mMapping.Get(), FILE_MAP_READ, 0, 0, 0));
    if (!mapped.mView) return std::nullopt;
    return mapped;
}

}  // namespace kalvex
