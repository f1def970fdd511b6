#include "win32_version.h"

#include <windows.h>

namespace kalvex {

std::uint32_t Win32Version::GetFileVersionInfoSizeA(const std::string& path) {
    DWORD handle = 0;
    return ::GetFileVersionInfoSizeA(path.c_str(), &handle);
}

std::int32_t Win32Version::GetFileVersionInfoA(const std::string& path, std::vector<std::uint8_t>& block) {
    return ::GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data());
}

std::string Win32Version::AnsiFromUtf16(const std::u16string& text) {
    if (text.empty()) return std::string();
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    const int size = ::WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string ansi(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide, length, &ansi[0], size, nullptr, nullptr);
    return ansi;
}

}  // namespace kalvex
