// A version library that hands over a block the test chose.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "versioninfo/version_api.h"
#include "window/basic_types.h"

namespace kalvex::testing {

class FakeVersion : public VersionApi {
public:
    std::uint32_t GetFileVersionInfoSizeA(const std::string& path) override {
        sizeQueries.push_back(path);
        if (sizeFails) throw Error("File not found: VERSION.DLL");
        return size.value_or(static_cast<std::uint32_t>(block.size()));
    }
    // Like the library: fills the caller's buffer as far as both reach.
    std::int32_t GetFileVersionInfoA(const std::string&, std::vector<std::uint8_t>& out) override {
        buffersGiven.push_back(out);
        std::copy_n(block.begin(), std::min(block.size(), out.size()), out.begin());
        return readResult;
    }
    // Marks what went through the conversion: units outside ASCII become '#'.
    std::string AnsiFromUtf16(const std::u16string& text) override {
        std::string out;
        for (const char16_t unit : text) out.push_back(unit < 0x80 ? static_cast<char>(unit) : '#');
        return out;
    }

    std::vector<std::uint8_t> block;
    std::int32_t readResult = 1;
    std::optional<std::uint32_t> size;  // the block's own size unless set
    bool sizeFails = false;
    std::vector<std::string> sizeQueries;
    std::vector<std::vector<std::uint8_t>> buffersGiven;
};

}  // namespace kalvex::testing
