#include "pe_resources.h"

#include <algorithm>
#include <vector>

namespace kalvex {

namespace {

// A bounds-checked window on the file's bytes; every read that would leave
// it fails instead.
class View {
public:
    View(const std::uint8_t* data, std::size_t size) : mData(data), mSize(size) {}

    bool Has(std::size_t at, std::size_t count) const { return at <= mSize && mSize - at >= count; }
    bool U16(std::size_t at, std::uint32_t& value) const {
        if (!Has(at, 2)) return false;
        value = mData[at] | (mData[at + 1] << 8);
        return true;
    }
    bool U32(std::size_t at, std::uint32_t& value) const {
        if (!Has(at, 4)) return false;
        value = static_cast<std::uint32_t>(mData[at]) | (static_cast<std::uint32_t>(mData[at + 1]) << 8) |
                (static_cast<std::uint32_t>(mData[at + 2]) << 16) | (static_cast<std::uint32_t>(mData[at + 3]) << 24);
        return true;
    }
    // The part [at, at + count), or an empty view when it does not fit.
    View Sub(std::size_t at, std::size_t count) const {
        return Has(at, count) ? View(mData + at, count) : View(mData, 0);
    }
    std::size_t Size() const { return mSize; }

private:
    const std::uint8_t* mData;
    std::size_t mSize;
};

constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint32_t kMagicPe32 = 0x10b;
constexpr std::uint32_t kMagicPe32Plus = 0x20b;
constexpr std::uint32_t kResourceDirectory = 2;
constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kDirectoryHeaderSize = 16;
constexpr std::size_t kDirectoryEntrySize = 8;

struct Section {
    std::uint32_t virtualAddress;
    std::uint32_t rawSize;
    std::uint32_t rawOffset;
};

// Maps `count` bytes at `rva` to their file offset through the section
// whose file data holds them all, and tells where that data ends within a
// file of `fileSize` bytes. False when no section holds them.
bool MapRva(const std::vector<Section>& sections, std::size_t fileSize, std::uint32_t rva, std::uint32_t count,
            std::size_t& offset, std::size_t& sectionEnd) {
    for (const Section& s : sections) {
        if (rva < s.virtualAddress) continue;
        const std::uint32_t into = rva - s.virtualAddress;
        if (into >= s.rawSize || s.rawSize - into < count) continue;
        const std::uint64_t at = std::uint64_t{s.rawOffset} + into;
        if (at >= fileSize) return false;
        offset = static_cast<std::size_t>(at);
        sectionEnd =
            static_cast<std::size_t>(std::min<std::uint64_t>(std::uint64_t{s.rawOffset} + s.rawSize, fileSize));
        return true;
    }
    return false;
}

// One entry of a resource directory: the id (or name) and where it leads.
struct Entry {
    std::uint32_t name;
    std::uint32_t target;
};

// Entry `index` of the directory at `at`, counted from the directory's own
// header; false when there is no such entry.
bool DirectoryEntry(const View& resources, std::size_t at, std::size_t index, Entry& entry) {
    std::uint32_t named = 0, ids = 0;
    if (!resources.U16(at + 12, named) || !resources.U16(at + 14, ids)) return false;
    if (index >= named + ids) return false;
    const std::size_t entryAt = at + kDirectoryHeaderSize + index * kDirectoryEntrySize;
    return resources.U32(entryAt, entry.name) && resources.U32(entryAt + 4, entry.target);
}

// The subdirectory an entry leads to, or false when it leads to data.
bool Subdirectory(const Entry& entry, std::size_t& at) {
    if ((entry.target & kHighBit) == 0) return false;
    at = entry.target & ~kHighBit;
    return true;
}

}  // namespace

std::optional<ByteRange> FindVersionResource(const std::uint8_t* data, std::size_t size) {
    const View file(data, size);

    // DOS header and the PE signature it points to.
    std::uint32_t mz = 0, peAt = 0, signature = 0;
    if (!file.U16(0, mz) || mz != 0x5a4d || !file.U32(0x3c, peAt)) return std::nullopt;
    if (!file.U32(peAt, signature) || signature != kPeSignature) return std::nullopt;

    // File header, then the optional header with its data directories.
    const std::size_t fileHeader = static_cast<std::size_t>(peAt) + 4;
    std::uint32_t sectionCount = 0, optionalSize = 0, magic = 0;
    if (!file.U16(fileHeader + 2, sectionCount) || !file.U16(fileHeader + 16, optionalSize)) return std::nullopt;
    const std::size_t optional = fileHeader + 20;
    if (!file.U16(optional, magic)) return std::nullopt;
    std::size_t countAt = 0;
    if (magic == kMagicPe32) {
        countAt = 92;
    } else if (magic == kMagicPe32Plus) {
        countAt = 108;
    } else {
        return std::nullopt;
    }
    const std::size_t directoryAt = countAt + 4 + std::size_t{kResourceDirectory} * 8;
    std::uint32_t directoryCount = 0, resourceRva = 0;
    if (directoryAt + 8 > optionalSize || !file.U32(optional + countAt, directoryCount) ||
        directoryCount <= kResourceDirectory || !file.U32(optional + directoryAt, resourceRva) || resourceRva == 0) {
        return std::nullopt;
    }

    std::vector<Section> sections;
    const std::size_t sectionTable = optional + optionalSize;
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const std::size_t at = sectionTable + i * kSectionHeaderSize;
        Section s{};
        if (!file.U32(at + 12, s.virtualAddress) || !file.U32(at + 16, s.rawSize) || !file.U32(at + 20, s.rawOffset)) {
            return std::nullopt;
        }
        sections.push_back(s);
    }

    // The resource tree: directory offsets count from its root and stay
    // inside the section that holds it (as far as the file reaches).
    std::size_t root = 0, sectionEnd = 0;
    if (!MapRva(sections, size, resourceRva, kDirectoryHeaderSize, root, sectionEnd)) return std::nullopt;
    const View resources = file.Sub(root, sectionEnd - root);

    // Type level: the entry with id RT_VERSION (a named entry has the high
    // bit set). The walk ends at the directory's count or at the view's end.
    Entry entry{};
    for (std::size_t i = 0;; ++i) {
        if (!DirectoryEntry(resources, 0, i, entry)) return std::nullopt;
        if (entry.name == kRtVersion) break;
    }
    // Name and language levels: the first entry of each.
    std::size_t names = 0, languages = 0;
    if (!Subdirectory(entry, names) || !DirectoryEntry(resources, names, 0, entry) || !Subdirectory(entry, languages) ||
        !DirectoryEntry(resources, languages, 0, entry) || (entry.target & kHighBit) != 0) {
        return std::nullopt;
    }

    // The data entry: the block's address and size.
    std::uint32_t dataRva = 0, dataSize = 0;
    if (!resources.U32(entry.target, dataRva) || !resources.U32(entry.target + 4, dataSize) || dataSize == 0) {
        return std::nullopt;
    }
    std::size_t offset = 0, end = 0;
    if (!MapRva(sections, size, dataRva, dataSize, offset, end) || !file.Has(offset, dataSize)) return std::nullopt;
    return ByteRange{offset, dataSize};
}

}  // namespace kalvex
