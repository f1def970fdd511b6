#include "version_scan.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "shared/text.h"

namespace kalvex {

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

std::size_t FindFrom(const Bytes& block, const Bytes& needle, std::size_t from) {
    const auto at =
        std::search(block.begin() + static_cast<std::ptrdiff_t>(from), block.end(), needle.begin(), needle.end());
    return at == block.end() ? kNotFound : static_cast<std::size_t>(at - block.begin());
}

// First occurrence of `key` as UTF-16LE text starting at an even offset.
std::size_t FindUtf16(const Bytes& block, const char* key) {
    Bytes needle;
    for (const char* c = key; *c != '\0'; ++c) needle.insert(needle.end(), {static_cast<std::uint8_t>(*c), 0});
    std::size_t at = FindFrom(block, needle, 0);
    while (at != kNotFound && at % 2 != 0) at = FindFrom(block, needle, at + 1);
    return at;
}

std::string SingleByteValue(const Bytes& block, std::size_t start) {
    if (start >= block.size()) return std::string();
    const auto begin = block.begin() + static_cast<std::ptrdiff_t>(start);
    return std::string(begin, std::find(begin, block.end(), 0));
}

std::u16string Utf16Value(const Bytes& block, std::size_t start) {
    std::u16string value;
    for (std::size_t i = start; i + 1 < block.size(); i += 2) {
        const char16_t unit = static_cast<char16_t>(block[i] | (block[i + 1] << 8));
        if (unit == 0) break;
        value.push_back(unit);
    }
    return value;
}

// The value at the key's first occurrence; "" when the key is nowhere in
// the block.
std::string FindValue(const Bytes& block, const VersionKey& row, VersionApi& api) {
    const std::size_t keyLength = std::strlen(row.key);
    const Bytes narrowKey(row.key, row.key + keyLength);
    std::size_t at = FindFrom(block, narrowKey, 0);
    if (at != kNotFound) return api.Utf8FromSystemCodePage(SingleByteValue(block, at + row.valueOffset));
    at = FindUtf16(block, row.key);
    if (at == kNotFound) return std::string();
    // After the key and its two-byte NUL, on the block's next 4-byte boundary.
    const std::size_t afterKey = at + 2 * (keyLength + 1);
    return Utf8FromUtf16(Utf16Value(block, (afterKey + 3) / 4 * 4));
}

}  // namespace

VersionScan ScanVersionBlock(const Bytes& block, VersionApi& api) {
    VersionScan scan;
    scan.companyName = FindValue(block, kCompanyNameKey, api);
    scan.productVersion = FindValue(block, kProductVersionKey, api);
    scan.hasProductVersion = scan.productVersion.find_first_not_of(' ') != std::string::npos;
    return scan;
}

std::optional<VersionScan> ReadVersionInfo(VersionApi& api, const std::string& path) {
    try {
        const std::uint32_t size = api.VersionBlockSize(path);
        if (size == 0) return std::nullopt;
        Bytes block(size, 0);
        if (!api.ReadVersionBlock(path, block)) return std::nullopt;
        return ScanVersionBlock(block, api);
    } catch (const std::exception&) {
        // The version library missing, or no memory for the block.
        return std::nullopt;
    }
}

}  // namespace kalvex
