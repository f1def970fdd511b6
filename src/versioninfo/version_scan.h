// The scan of a version-information block: company name and product
// version, found by a text search for their keys, each read by the lengths
// of the string entry that holds it. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "version_api.h"

namespace kalvex {

// The most of a version resource that is ever looked at: a block's lengths
// are 16-bit, so nothing of it lies further.
constexpr std::size_t kLongestVersionBlock = 0xFFFF;

struct VersionScan {
    std::string companyName;     // empty when the key is missing
    std::string productVersion;  // empty when the key is missing
    // A product version with something besides spaces in it.
    bool hasProductVersion = false;
};

// Looks up each kept key, with its NUL, in `block`: as single-byte text of
// the old 16-bit layout, and where that is not found as UTF-16LE text of
// the 32-bit layout. An occurrence counts where it is the key of a string
// entry: the entry's header (length, value length and, for UTF-16, type)
// lies just before it on a 4-byte boundary, and the entry holds the key
// and ends within the block, whose own first length bounds it. The first
// such occurrence wins. Its value starts on the 4-byte boundary after the
// key's NUL and ends at its value length, at the entry's end or at a NUL,
// whichever comes first; values of either width come out as UTF-8,
// single-byte ones converted from the system's code page through `api`.
VersionScan ScanVersionBlock(const std::vector<std::uint8_t>& block, VersionApi& api);

// The version block of the file at `path`, read through `api` (at most
// kLongestVersionBlock bytes of it) and scanned. Nothing when the file
// cannot be read, has no version resource, or its resource does not lie
// wholly inside it; never raises.
std::optional<VersionScan> ReadVersionInfo(VersionApi& api, const std::string& path);

}  // namespace kalvex
