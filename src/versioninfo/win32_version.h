// The version library's calls, made for real. Windows only.
#pragma once

#include "version_api.h"

namespace kalvex {

class Win32Version final : public VersionApi {
public:
    std::uint32_t VersionBlockSize(const std::string& path) override;
    bool ReadVersionBlock(const std::string& path, std::vector<std::uint8_t>& block) override;
    std::string Utf8FromSystemCodePage(const std::string& text) override;
};

}  // namespace kalvex
