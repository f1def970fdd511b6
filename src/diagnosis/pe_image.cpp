#include "pe_image.h"

#include <algorithm>

namespace kalvex {

namespace {

// Bounds that keep a damaged or hostile file's read short.
constexpr std::size_t kMaxModules = 512;
constexpr std::size_t kMaxFunctions = 8192;
constexpr std::size_t kMaxName = 512;
constexpr std::uint32_t kMaxSections = 96;

constexpr std::uint16_t kPe32 = 0x10B;
constexpr std::uint16_t kPe32Plus = 0x20B;
constexpr std::uint16_t kDllFlag = 0x2000;
constexpr std::uint32_t kIlOnlyFlag = 0x1;
constexpr std::uint32_t kRvaBasedDelayImports = 0x1;

enum Directory : std::uint32_t {
    kExportDirectory = 0,
    kImportDirectory = 1,
    kDelayImportDirectory = 13,
    kClrDirectory = 14
};

std::optional<std::uint64_t> Widened(std::optional<std::uint32_t> value) {
    if (!value) return std::nullopt;
    return *value;
}

struct Section {
    std::uint32_t address;
    std::uint32_t size;
    std::uint32_t fileOffset;
    std::uint32_t fileSize;
};

// The image's bytes with its headers parsed: reads by file offset and by
// relative virtual address, each nothing where it would leave the bytes.
class Image {
public:
    explicit Image(std::string_view bytes) : mBytes(bytes) { mValid = Parse(); }
    bool Valid() const { return mValid; }
    const ImageHeader& Header() const { return mHeader; }
    bool Is64() const { return mMagic == kPe32Plus; }
    std::uint64_t ImageBase() const { return mImageBase; }

    template <typename T>
    std::optional<T> At(std::uint64_t offset) const {
        if (offset > mBytes.size() || mBytes.size() - offset < sizeof(T)) return std::nullopt;
        T value = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i) {
            value |= static_cast<T>(static_cast<std::uint8_t>(mBytes[offset + i])) << (8 * i);
        }
        return value;
    }

    // The file offset of a relative virtual address inside a section's
    // bytes (or the headers').
    std::optional<std::uint64_t> OffsetOf(std::uint32_t rva) const {
        if (rva < mHeadersSize) return rva;
        for (const Section& s : mSections) {
            if (rva >= s.address && rva - s.address < std::min(s.size == 0 ? s.fileSize : s.size, s.fileSize)) {
                return std::uint64_t{s.fileOffset} + (rva - s.address);
            }
        }
        return std::nullopt;
    }

    template <typename T>
    std::optional<T> AtRva(std::uint32_t rva) const {
        const std::optional<std::uint64_t> offset = OffsetOf(rva);
        return offset ? At<T>(*offset) : std::nullopt;
    }

    // The NUL-terminated name at `rva`; nothing when it has no end within
    // kMaxName bytes or the file.
    std::optional<std::string> NameAt(std::uint32_t rva) const {
        const std::optional<std::uint64_t> offset = OffsetOf(rva);
        if (!offset || *offset >= mBytes.size()) return std::nullopt;
        const std::string_view rest = mBytes.substr(*offset, kMaxName);
        const std::size_t end = rest.find('\0');
        if (end == std::string_view::npos || end == 0) return std::nullopt;
        return std::string(rest.substr(0, end));
    }

    // The directory's address and size; nothing when it is absent.
    std::optional<std::pair<std::uint32_t, std::uint32_t>> DirectoryOf(Directory index) const {
        if (index >= mDirectoryCount) return std::nullopt;
        const std::uint64_t at = mDirectories + 8ull * index;
        const std::optional<std::uint32_t> address = At<std::uint32_t>(at);
        const std::optional<std::uint32_t> size = At<std::uint32_t>(at + 4);
        if (!address || !size || *address == 0) return std::nullopt;
        return std::make_pair(*address, *size);
    }

private:
    bool Parse() {
        if (mBytes.size() < 0x40 || mBytes.substr(0, 2) != "MZ") return false;
        const std::uint32_t pe = At<std::uint32_t>(0x3C).value_or(0);
        if (At<std::uint32_t>(pe) != std::optional<std::uint32_t>(0x00004550)) return false;
        const std::uint64_t file = std::uint64_t{pe} + 4;
        const std::optional<std::uint16_t> machine = At<std::uint16_t>(file);
        const std::optional<std::uint16_t> sections = At<std::uint16_t>(file + 2);
        const std::optional<std::uint16_t> optionalSize = At<std::uint16_t>(file + 16);
        const std::optional<std::uint16_t> characteristics = At<std::uint16_t>(file + 18);
        const std::uint64_t optional = file + 20;
        const std::optional<std::uint16_t> magic = At<std::uint16_t>(optional);
        if (!machine || !sections || !optionalSize || !characteristics || !magic) return false;
        if (*magic != kPe32 && *magic != kPe32Plus) return false;
        mMagic = *magic;
        const std::uint64_t counted = optional + (Is64() ? 108 : 92);
        const std::optional<std::uint32_t> directoryCount = At<std::uint32_t>(counted);
        const std::optional<std::uint32_t> headersSize = At<std::uint32_t>(optional + 60);
        const std::optional<std::uint64_t> base =
            Is64() ? At<std::uint64_t>(optional + 24) : Widened(At<std::uint32_t>(optional + 28));
        if (!directoryCount || !headersSize || !base) return false;
        mDirectories = counted + 4;
        mDirectoryCount = std::min<std::uint32_t>(*directoryCount, 16);
        mHeadersSize = *headersSize;
        mImageBase = *base;
        const std::uint64_t table = optional + *optionalSize;
        if (*sections > kMaxSections) return false;
        for (std::uint32_t i = 0; i < *sections; ++i) {
            const std::uint64_t at = table + 40ull * i;
            const std::optional<std::uint32_t> size = At<std::uint32_t>(at + 8);
            const std::optional<std::uint32_t> address = At<std::uint32_t>(at + 12);
            const std::optional<std::uint32_t> fileSize = At<std::uint32_t>(at + 16);
            const std::optional<std::uint32_t> fileOffset = At<std::uint32_t>(at + 20);
            // A section table that the file does not hold whole: cut short.
            if (!size || !address || !fileSize || !fileOffset) return false;
            // Nor its sections' bytes.
            if (std::uint64_t{*fileOffset} + *fileSize > mBytes.size() && *fileSize != 0) return false;
            mSections.push_back({*address, *size, *fileOffset, *fileSize});
        }
        mHeader.machine = MachineOf(*machine);
        mHeader.isDll = (*characteristics & kDllFlag) != 0;
        if (const auto clr = DirectoryOf(kClrDirectory)) {
            mHeader.isDotNet = true;
            mHeader.ilOnly = (AtRva<std::uint32_t>(clr->first + 16).value_or(0) & kIlOnlyFlag) != 0;
        }
        return true;
    }

    static Machine MachineOf(std::uint16_t machine) {
        switch (machine) {
            case 0x014C: return Machine::X86;
            case 0x8664: return Machine::X64;
            case 0xAA64: return Machine::Arm64;
            default: return Machine::Other;
        }
    }

    std::string_view mBytes;
    bool mValid = false;
    ImageHeader mHeader;
    std::uint16_t mMagic = 0;
    std::uint64_t mDirectories = 0;
    std::uint32_t mDirectoryCount = 0;
    std::uint32_t mHeadersSize = 0;
    std::uint64_t mImageBase = 0;
    std::vector<Section> mSections;
};

// The names in a table of thunks (pointer-sized entries, 0 at the end): an
// entry with the top bit set imports by number, any other points to a
// two-byte hint and the name.
std::vector<std::string> FunctionsAt(const Image& image, std::uint32_t table) {
    std::vector<std::string> functions;
    const std::uint32_t step = image.Is64() ? 8 : 4;
    for (std::size_t i = 0; i < kMaxFunctions; ++i) {
        const std::uint32_t at = table + static_cast<std::uint32_t>(i * step);
        const std::optional<std::uint64_t> thunk =
            image.Is64() ? image.AtRva<std::uint64_t>(at) : Widened(image.AtRva<std::uint32_t>(at));
        if (!thunk || *thunk == 0) break;
        const std::uint64_t byNumber = image.Is64() ? (1ull << 63) : (1ull << 31);
        if ((*thunk & byNumber) != 0) continue;
        if (std::optional<std::string> name = image.NameAt(static_cast<std::uint32_t>(*thunk) + 2)) {
            functions.push_back(std::move(*name));
        }
    }
    return functions;
}

void ReadPlainImports(const Image& image, std::vector<ImportedModule>& modules) {
    const auto directory = image.DirectoryOf(kImportDirectory);
    if (!directory) return;
    for (std::uint32_t at = directory->first; modules.size() < kMaxModules; at += 20) {
        const std::optional<std::uint32_t> names = image.AtRva<std::uint32_t>(at);
        const std::optional<std::uint32_t> name = image.AtRva<std::uint32_t>(at + 12);
        const std::optional<std::uint32_t> addresses = image.AtRva<std::uint32_t>(at + 16);
        if (!names || !name || !addresses || *name == 0) break;
        std::optional<std::string> module = image.NameAt(*name);
        if (!module) continue;
        // Linkers that leave out the name table keep the names in the
        // address table until the module is bound.
        modules.push_back({std::move(*module), false, FunctionsAt(image, *names != 0 ? *names : *addresses)});
    }
}

void ReadDelayImports(const Image& image, std::vector<ImportedModule>& modules) {
    const auto directory = image.DirectoryOf(kDelayImportDirectory);
    if (!directory) return;
    for (std::uint32_t at = directory->first; modules.size() < kMaxModules; at += 32) {
        const std::optional<std::uint32_t> attributes = image.AtRva<std::uint32_t>(at);
        std::optional<std::uint32_t> name = image.AtRva<std::uint32_t>(at + 4);
        std::optional<std::uint32_t> names = image.AtRva<std::uint32_t>(at + 16);
        if (!attributes || !name || !names || *name == 0) break;
        // The oldest linkers wrote addresses, not offsets from the image's base.
        if ((*attributes & kRvaBasedDelayImports) == 0) {
            *name -= static_cast<std::uint32_t>(image.ImageBase());
            *names -= static_cast<std::uint32_t>(image.ImageBase());
        }
        std::optional<std::string> module = image.NameAt(*name);
        if (!module) continue;
        modules.push_back({std::move(*module), true, FunctionsAt(image, *names)});
    }
}

}  // namespace

std::optional<ImageHeader> ReadImageHeader(std::string_view bytes) {
    const Image image(bytes);
    if (!image.Valid()) return std::nullopt;
    return image.Header();
}

std::vector<ImportedModule> ReadImports(std::string_view bytes) {
    std::vector<ImportedModule> modules;
    const Image image(bytes);
    if (!image.Valid()) return modules;
    ReadPlainImports(image, modules);
    ReadDelayImports(image, modules);
    return modules;
}

std::optional<std::vector<std::string>> ReadExportNames(std::string_view bytes) {
    const Image image(bytes);
    if (!image.Valid()) return std::nullopt;
    const auto directory = image.DirectoryOf(kExportDirectory);
    if (!directory) return std::nullopt;
    const std::optional<std::uint32_t> count = image.AtRva<std::uint32_t>(directory->first + 24);
    const std::optional<std::uint32_t> table = image.AtRva<std::uint32_t>(directory->first + 32);
    if (!count || !table) return std::nullopt;
    std::vector<std::string> names;
    for (std::uint32_t i = 0; i < std::min<std::uint32_t>(*count, kMaxFunctions); ++i) {
        const std::optional<std::uint32_t> name = image.AtRva<std::uint32_t>(*table + 4 * i);
        if (!name) break;
        if (std::optional<std::string> text = image.NameAt(*name)) names.push_back(std::move(*text));
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace kalvex
