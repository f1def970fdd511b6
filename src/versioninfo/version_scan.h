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

// Which window value a key's text goes to.
enum class VersionField { None, CompanyName, ProductVersion };

struct VersionKey {
    const char* key;
    // Where the value starts, counted from the key's first byte, in a string
    // entry laid out as single-byte text: the key and its NUL, taken up to
    // the next 4-byte boundary.
    std::size_t valueOffset;
    VersionField keptIn;
};

// The string entries of a block, in the order they are looked for.
constexpr VersionKey kVersionKeys[] = {
    {"CompanyName", 12, VersionField::CompanyName}, {"FileDescription", 16, VersionField::None},
    {"FileVersion", 12, VersionField::None},        {"InternalName", 16, VersionField::None},
    {"LegalCopyright", 16, VersionField::None},     {"OriginalFilename", 20, VersionField::None},
    {"ProductName", 12, VersionField::None},        {"ProductVersion", 16, VersionField::ProductVersion},
};

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
