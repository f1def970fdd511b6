// The version library's calls, made for real. Windows only.
#pragma once

#include <windows.h>
// windows.h maps these names to its A/W entry points. Here they name the
// members of VersionApi, in every file that sees both; the adapter calls the
// ANSI entries by their full names.
#undef GetFileVersionInfoSize
#undef GetFileVersionInfo

#include "version_api.h"

namespace kalvex {

class Win32Version final : public VersionApi {
public:
    std::uint32_t GetFileVersionInfoSize(const std::string& path) override;
    std::int32_t GetFileVersionInfo(const std::string& path, std::vector<std::uint8_t>& block) override;
    std::string AnsiFromUtf16(const std::u16string& text) override;
};

}  // namespace kalvex
