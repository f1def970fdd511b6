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

    // GetFileVersionInfoSizeA: size in bytes of the file's version block,
    // 0 when it has none or cannot be read. May raise kalvex::Error when the
    // query cannot be made at all.
    virtual std::uint32_t GetFileVersionInfoSizeA(const std::string& path) = 0;
    // GetFileVersionInfoA into `block`, which the caller has sized and
    // zero-filled. Non-zero on success, 0 on failure.
    virtual std::int32_t GetFileVersionInfoA(const std::string& path, std::vector<std::uint8_t>& block) = 0;
    // UTF-16 text converted to the ANSI code page.
    virtual std::string AnsiFromUtf16(const std::u16string& text) = 0;
    // Single-byte text of an old (16-bit) block, which is in the system's
    // legacy code page, converted to the ANSI code page; the bytes as they
    // are where the two are the same.
    virtual std::string AnsiFromLegacyCodePage(const std::string& text) = 0;
};

}  // namespace kalvex
