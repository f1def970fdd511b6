// Where the version-information block of a file comes from: on Windows the
// version library, natively a reader of the file's own resources. The scan
// itself needs only these calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kalvex {

class VersionApi {
public:
    virtual ~VersionApi() = default;

    // Size in bytes of the file's version block, 0 when it has none or
    // cannot be read. May raise kalvex::Error when the query cannot be made
    // at all.
    virtual std::uint32_t VersionBlockSize(const std::string& path) = 0;
    // Reads the version block into `block`, which the caller has sized and
    // zero-filled; false when that fails.
    virtual bool ReadVersionBlock(const std::string& path, std::vector<std::uint8_t>& block) = 0;
    // Single-byte text of an old (16-bit) block, which is in the system's
    // ANSI code page, as UTF-8.
    virtual std::string Utf8FromSystemCodePage(const std::string& text) = 0;
};

}  // namespace kalvex
