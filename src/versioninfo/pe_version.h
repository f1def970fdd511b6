// A version-information block read straight from a PE file's resources, for
// platforms without the Windows version library. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "version_api.h"

namespace kalvex {

// Where a block lies in the file's bytes.
struct ByteRange {
    std::size_t offset;
    std::size_t size;
};

// The first RT_VERSION resource (its first name, first language) of a PE32
// or PE32+ image given as its file bytes. Nothing when the bytes are not
// such an image, have no version resource, or any header, directory or
// offset on the way lies outside them.
std::optional<ByteRange> FindVersionResource(const std::uint8_t* data, std::size_t size);

// UTF-16 to single bytes without a code page: code units below 256 become
// that byte, all others '?'.
std::string Latin1FromUtf16(const std::u16string& text);

// The version calls answered from the files themselves.
class FileVersionApi final : public VersionApi {
public:
    std::uint32_t GetFileVersionInfoSizeA(const std::string& path) override;
    std::int32_t GetFileVersionInfoA(const std::string& path, std::vector<std::uint8_t>& block) override;
    std::string AnsiFromUtf16(const std::u16string& text) override { return Latin1FromUtf16(text); }
    std::string AnsiFromLegacyCodePage(const std::string& text) override { return text; }
};

}  // namespace kalvex
