// A version library that hands over a block the test chose.
#pragma once

#include <string>
#include <vector>

#include "versioninfo/version_api.h"

namespace kalvex::testing {

class FakeVersion : public VersionApi {
public:
    std::uint32_t GetFileVersionInfoSize(const std::string&) override {
        return static_cast<std::uint32_t>(block.size());
    }
    std::int32_t GetFileVersionInfo(const std::string&, std::vector<std::uint8_t>& out) override {
        out = block;
        return readResult;
    }
    std::string AnsiFromUtf16(const std::u16string& text) override { return std::string(text.begin(), text.end()); }

    std::vector<std::uint8_t> block;
    std::int32_t readResult = 1;
};

}  // namespace kalvex::testing
