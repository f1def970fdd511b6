// The bytes of a PE image as a linker lays them out, for the readers of its
// header, imports, exports and version resource: the headers in the first
// 0x200 bytes, one section at 0x1000 holding the directories.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "diagnosis/pe_image.h"

namespace kalvex::testing {

using Bytes = std::vector<std::uint8_t>;

struct ImportSpec {
    std::string module;
    std::vector<std::string> functions{};
    bool delayed = false;
};

// A resource tree whose one version resource is `block`, declared
// `declared` bytes long (its own length when 0); `slack` bytes follow it
// inside the section and `tail` more in the file. An empty block gives an
// image without resources.
struct VersionResource {
    Bytes block{};
    std::uint32_t declared = 0;
    std::size_t slack = 0;
    std::size_t tail = 0;
};

struct ImageSpec {
    Machine machine = Machine::X86;
    bool dll = true;
    std::vector<ImportSpec> imports{};
    std::vector<std::string> exports{};
    bool dotNet = false;
    VersionResource version{};
};

class ImageWriter {
public:
    explicit ImageWriter(const ImageSpec& spec) : mSpec(spec), m64(spec.machine != Machine::X86) {}

    std::string File() {
        const std::uint32_t imports = WriteImports(false);
        const std::uint32_t delayed = WriteImports(true);
        const std::uint32_t exports = WriteExports();
        const std::uint32_t clr = mSpec.dotNet ? Put32(72) : 0;
        if (mSpec.dotNet) {
            Pad(12);
            Put32(1);  // IL only
            Pad(52);
        }
        const std::uint32_t resources = WriteResources();  // last: its slack ends the section
        std::string file(0x200, '\0');
        Set16(file, 0, 0x5A4D);
        Set32(file, 0x3C, 0x40);
        Set32(file, 0x40, 0x4550);
        const std::uint32_t header = 0x44, optional = header + 20, optionalSize = m64 ? 240 : 224;
        Set16(file, header, MachineCode());
        Set16(file, header + 2, 1);
        Set16(file, header + 16, static_cast<std::uint16_t>(optionalSize));
        Set16(file, header + 18, mSpec.dll ? 0x2102 : 0x0102);
        Set16(file, optional, m64 ? 0x20B : 0x10B);
        Set32(file, optional + 60, 0x200);
        const std::uint32_t directories = optional + (m64 ? 112 : 96);
        Set32(file, directories - 4, 16);
        SetDirectory(file, directories, 0, exports);
        SetDirectory(file, directories, 1, imports);
        SetDirectory(file, directories, 2, resources);
        SetDirectory(file, directories, 13, delayed);
        SetDirectory(file, directories, 14, clr);
        const std::uint32_t section = optional + optionalSize;
        Set32(file, section + 8, static_cast<std::uint32_t>(mData.size()));
        Set32(file, section + 12, kBase);
        Set32(file, section + 16, static_cast<std::uint32_t>(mData.size()));
        Set32(file, section + 20, 0x200);
        return file + mData + std::string(mSpec.version.tail, '\0');
    }

private:
    static constexpr std::uint32_t kBase = 0x1000;

    std::uint16_t MachineCode() const {
        switch (mSpec.machine) {
            case Machine::X86: return 0x14C;
            case Machine::X64: return 0x8664;
            case Machine::Arm64: return 0xAA64;
            default: return 0x1C4;
        }
    }
    static void Set16(std::string& s, std::size_t at, std::uint16_t v) {
        s[at] = static_cast<char>(v & 0xFF);
        s[at + 1] = static_cast<char>(v >> 8);
    }
    static void Set32(std::string& s, std::size_t at, std::uint32_t v) {
        Set16(s, at, static_cast<std::uint16_t>(v & 0xFFFF));
        Set16(s, at + 2, static_cast<std::uint16_t>(v >> 16));
    }
    static void SetDirectory(std::string& s, std::uint32_t directories, std::uint32_t index, std::uint32_t rva) {
        if (rva == 0) return;
        Set32(s, directories + 8 * index, rva);
        Set32(s, directories + 8 * index + 4, 0x100);
    }
    std::uint32_t Here() const { return kBase + static_cast<std::uint32_t>(mData.size()); }
    void Pad(std::size_t count) { mData.append(count, '\0'); }
    // Appends a value; where it went.
    std::uint32_t Put32(std::uint32_t v) {
        const std::uint32_t at = Here();
        mData.append(4, '\0');
        Set32(mData, at - kBase, v);
        return at;
    }
    std::uint32_t PutThunk(std::uint32_t v) {
        const std::uint32_t at = Put32(v);
        if (m64) Put32(0);
        return at;
    }
    std::uint32_t PutName(const std::string& name) {
        const std::uint32_t at = Here();
        mData += name;
        mData += '\0';
        return at;
    }
    void Patch(std::uint32_t at, std::uint32_t v) { Set32(mData, at - kBase, v); }

    std::uint32_t WriteImports(bool delayed) {
        std::vector<const ImportSpec*> chosen;
        for (const ImportSpec& spec : mSpec.imports) {
            if (spec.delayed == delayed) chosen.push_back(&spec);
        }
        if (chosen.empty()) return 0;
        const std::uint32_t size = delayed ? 32 : 20;
        const std::uint32_t table = Here();
        Pad(size * (chosen.size() + 1));
        for (std::size_t i = 0; i < chosen.size(); ++i) {
            const std::uint32_t entry = table + static_cast<std::uint32_t>(size * i);
            std::vector<std::uint32_t> hints;
            for (const std::string& function : chosen[i]->functions) hints.push_back(PutName("\x01" + function) - 1);
            const std::uint32_t thunks = Here();
            for (const std::uint32_t hint : hints) PutThunk(hint);
            PutThunk(0);
            const std::uint32_t name = PutName(chosen[i]->module);
            if (delayed) {
                Patch(entry, 1);
                Patch(entry + 4, name);
                Patch(entry + 16, thunks);
            } else {
                Patch(entry, thunks);
                Patch(entry + 12, name);
                Patch(entry + 16, thunks);
            }
        }
        return table;
    }

    std::uint32_t WriteExports() {
        if (mSpec.exports.empty()) return 0;
        const std::uint32_t directory = Here();
        Pad(40);
        std::vector<std::uint32_t> names;
        for (const std::string& name : mSpec.exports) names.push_back(PutName(name));
        const std::uint32_t table = Here();
        for (const std::uint32_t name : names) Put32(name);
        Patch(directory + 24, static_cast<std::uint32_t>(names.size()));
        Patch(directory + 32, table);
        return directory;
    }

    // Type, name and language directories, one entry each (offsets from the
    // tree's root), the data entry, then the block and its slack.
    std::uint32_t WriteResources() {
        const VersionResource& version = mSpec.version;
        if (version.block.empty()) return 0;
        const std::uint32_t root = Here();
        for (const std::uint32_t next : {0x18u, 0x30u, 0x48u}) {
            Pad(12);
            Put32(0x10000);  // no named entry, one with an id
            Put32(next == 0x18 ? 16 : 1);
            Put32(next == 0x48 ? next : 0x80000000u | next);
        }
        Put32(root + 0x58);
        Put32(version.declared != 0 ? version.declared : static_cast<std::uint32_t>(version.block.size()));
        Pad(8);
        mData.append(version.block.begin(), version.block.end());
        Pad(version.slack);
        return root;
    }

    const ImageSpec& mSpec;
    bool m64;
    std::string mData;
};

inline std::string Image(const ImageSpec& spec) { return ImageWriter(spec).File(); }

}  // namespace kalvex::testing
