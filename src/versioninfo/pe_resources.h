// Where a PE file keeps its version-information block, found in the file's
// own bytes: every header, directory and offset on the way is checked
// against them before it is followed. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace kalvex {

// Where a block lies in the file's bytes.
struct ByteRange {
    std::size_t offset;
    std::size_t size;
};

// The first RT_VERSION resource (its first name, first language) of a PE32
// or PE32+ image given as its file bytes. Nothing when the bytes are not
// such an image, have no version resource, or any header, directory or
// offset on the way lies outside them; the block itself lies wholly inside
// the file data of the section that holds it.
std::optional<ByteRange> FindVersionResource(const std::uint8_t* data, std::size_t size);

}  // namespace kalvex
