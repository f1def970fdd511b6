#include "win32_version.h"

namespace kalvex {

std::uint32_t Win32Version::GetFileVersionInfoSize(const std::string&) { return 0; }
std::int32_t Win32Version::GetFileVersionInfo(const std::string&, std::vector<std::uint8_t>&) { return 0; }
std::string Win32Version::AnsiFromUtf16(const std::u16string&) { return std::string(); }

}  // namespace kalvex
