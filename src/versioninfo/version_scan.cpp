#include "version_scan.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "pe_resources.h"
#include "shared/text.h"

namespace kalvex {

namespace {

using Bytes = std::vector<std::uint8_t>;

// A text width of version blocks: the old 16-bit layout keeps single-byte
// text after a 4-byte entry header (length, value length); the 32-bit
// layout keeps UTF-16LE text after a 6-byte one (length, value length,
// type). Value lengths count characters.
struct Layout {
    std::size_t unit;    // bytes a character
    std::size_t header;  // bytes before an entry's key
};
constexpr Layout kSingleByte{1, 4};
constexpr Layout kUtf16{2, 6};

std::size_t U16(const Bytes& block, std::size_t at) { return block[at] | (block[at + 1] << 8); }

// The key and its NUL in the layout's width.
Bytes Encoded(const char* key, const Layout& layout) {
    Bytes text;
    for (std::size_t i = 0; i <= std::strlen(key); ++i) {
        text.push_back(static_cast<std::uint8_t>(key[i]));
        if (layout.unit == 2) text.push_back(0);
    }
    return text;
}

// Where a value's characters lie.
struct Span {
    std::size_t start;
    std::size_t count;
};

// The value of the string entry whose key (`keyBytes` long with its NUL)
// starts at `keyAt`, when such an entry lies there within [0, end).
std::optional<Span> EntryValue(const Bytes& block, std::size_t end, std::size_t keyAt, std::size_t keyBytes,
                               const Layout& layout) {
    if (keyAt < layout.header) return std::nullopt;
    const std::size_t entry = keyAt - layout.header;
    if (entry % 4 != 0) return std::nullopt;
    const std::size_t entryEnd = entry + U16(block, entry);
    if (entryEnd > end || keyAt + keyBytes > entryEnd) return std::nullopt;
    const std::size_t start = (keyAt + keyBytes + 3) / 4 * 4;
    const std::size_t room = start < entryEnd ? (entryEnd - start) / layout.unit : 0;
    return Span{start, std::min(U16(block, entry + 2), room)};
}

// The characters of `span` up to the first NUL, in the layout's width.
std::u16string Characters(const Bytes& block, const Span& span, const Layout& layout) {
    std::u16string text;
    for (std::size_t i = 0; i < span.count; ++i) {
        const std::size_t at = span.start + i * layout.unit;
        const char16_t c = layout.unit == 2 ? static_cast<char16_t>(U16(block, at)) : block[at];
        if (c == 0) break;
        text.push_back(c);
    }
    return text;
}

// The value of the first string entry with key `key` in `layout`.
std::optional<std::u16string> FindValue(const Bytes& block, std::size_t end, const char* key, const Layout& layout) {
    const Bytes needle = Encoded(key, layout);
    const auto last = block.begin() + static_cast<std::ptrdiff_t>(end);
    for (auto at = std::search(block.begin(), last, needle.begin(), needle.end()); at != last;
         at = std::search(at + 1, last, needle.begin(), needle.end())) {
        const auto span = EntryValue(block, end, static_cast<std::size_t>(at - block.begin()), needle.size(), layout);
        if (span) return Characters(block, *span, layout);
    }
    return std::nullopt;
}

std::string Value(const Bytes& block, std::size_t end, const char* key, VersionApi& api) {
    if (const auto narrow = FindValue(block, end, key, kSingleByte)) {
        return api.Utf8FromSystemCodePage(std::string(narrow->begin(), narrow->end()));
    }
    if (const auto wide = FindValue(block, end, key, kUtf16)) return Utf8FromUtf16(*wide);
    return std::string();
}

}  // namespace

VersionScan ScanVersionBlock(const Bytes& block, VersionApi& api) {
    // The block ends where its first length says, or where the bytes do.
    const std::size_t end = block.size() < 2 ? 0 : std::min(block.size(), U16(block, 0));
    VersionScan scan;
    scan.companyName = Value(block, end, "CompanyName", api);
    scan.productVersion = Value(block, end, "ProductVersion", api);
    scan.hasProductVersion = scan.productVersion.find_first_not_of(' ') != std::string::npos;
    return scan;
}

std::optional<VersionScan> ReadVersionInfo(VersionApi& api, const std::string& path) {
    try {
        const std::unique_ptr<FileBytes> file = api.OpenFile(path);
        if (!file) return std::nullopt;
        const auto range = FindVersionResource(file->Data(), file->Size());
        if (!range) return std::nullopt;
        const std::uint8_t* const begin = file->Data() + range->offset;
        const Bytes block(begin, begin + std::min(range->size, kLongestVersionBlock));
        return ScanVersionBlock(block, api);
    } catch (const std::exception&) {
        // No memory for the block's copy or its values.
        return std::nullopt;
    }
}

}  // namespace kalvex
