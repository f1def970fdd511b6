// A version-information block read straight from a PE file's resources, for
// platforms without the Windows version library. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "shared/text.h"
#include "versioninfo/version_api.h"

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

// The version calls answered from the files themselves.
class FileVersionApi final : public VersionApi {
public:
    std::uint32_t VersionBlockSize(const std::string& path) override;
    bool ReadVersionBlock(const std::string& path, std::vector<std::uint8_t>& block) override;
    // Without a system code page, each byte stands for itself (ISO 8859-1).
    std::string Utf8FromSystemCodePage(const std::string& text) override;
};

}  // namespace kalvex
