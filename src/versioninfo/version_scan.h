// The scan of a version-information block: company name and product
// version, found by a plain text search for their keys. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "version_api.h"

namespace kalvex {

// The two string entries the window shows, and where each one's value
// starts, counted from the key's first byte, in an entry laid out as
// single-byte text: the key and its NUL, taken up to the next 4-byte
// boundary.
struct VersionKey {
    const char* key;
    std::size_t valueOffset;
};
constexpr VersionKey kCompanyNameKey{"CompanyName", 12};
constexpr VersionKey kProductVersionKey{"ProductVersion", 16};

struct VersionScan {
    std::string companyName;     // empty when the key is missing
    std::string productVersion;  // empty when the key is missing
    // A product version with something besides spaces in it.
    bool hasProductVersion = false;
};

// Looks up each kept key's first occurrence in `block`: as single-byte text,
// and where that is not found as UTF-16LE text at an even offset. A value is
// read in its key's width and ends at its NUL or at the block's end; values
// of either width come out as UTF-8, single-byte ones converted from the
// system's code page through `api`.
VersionScan ScanVersionBlock(const std::vector<std::uint8_t>& block, VersionApi& api);

// The version block of the file at `path`, read through `api` and scanned.
// Nothing when the file has no block, its size cannot be asked for, or the
// read fails; never raises.
std::optional<VersionScan> ReadVersionInfo(VersionApi& api, const std::string& path);

}  // namespace kalvex
