// The version library's calls, made for real. Windows only.
#pragma once

#include "version_api.h"

namespace kalvex {

class Win32Version final : public VersionApi {
public:
    std::uint32_t GetFileVersionInfoSizeA(const std::string& path) override;
    std::int32_t GetFileVersionInfoA(const std::string& path, std::vector<std::uint8_t>& block) override;
    std::string AnsiFromUtf16(const std::u16string& text) override;
    std::string AnsiFromLegacyCodePage(const std::string& text) override;
};

}  // namespace kalvex
