// The version scan, the window's version labels and the PE reader.
#include "fake.h"
#include "pe_reader/pe_version.h"
#include "versioninfo/version_scan.h"

namespace kalvex::testing {
namespace {

// String entries as resource compilers lay them out: a header, the key and
// its NUL, padding to 4 bytes, the value and its NUL; in bytes or UTF-16.
struct Block {
    Block& N(const std::string& key, const std::string& value, bool wide = false) {
        b.resize((b.size() + 3) / 4 * 4 + (wide ? 6 : 4), 0);
        Text(key + '\0', wide);
        b.resize((b.size() + 3) / 4 * 4, 0);
        valueAt = b.size();
        return Text(value + '\0', wide);
    }
    Block& W(const std::string& key, const std::string& value) { return N(key, value, true); }
    Block& Text(const std::string& text, bool wide) {
        for (const char c : text) wide ? b.insert(b.end(), {std::uint8_t(c), 0}) : b.insert(b.end(), std::uint8_t(c));
        return *this;
    }
    Block& Fill(std::size_t count) { return Text(std::string(count, 'x'), false); }
    // Ends the block this far into (or, negative, before) the last value.
    Block& Cut(std::ptrdiff_t into) {
        b.resize(valueAt + into);
        return *this;
    }
    Bytes b;
    std::size_t valueAt = 0;
};

TEST(VersionScan, FindsCompanyAndVersionByTheirKeys) {
    const std::string name = "A Company Whose Name Runs Past 21", upper = "A COMPANY WHOSE NAME RUNS PAST 21";
    struct Case {
        Bytes block;
        std::string found;  // company|version|whether it has a version
    };
    const Case cases[] = {
        {Block().N("CompanyName", name).N("ProductVersion", "1.2b").b, upper + "|1.2B|1"},
        {Block().W("CompanyName", name).W("ProductVersion", "2.0").b, name + "|2.0|1"},
        {Block().N("ProductVersion", "5.0").b, "|5.0|1"},
        {Block().W("CompanyName", "Acme").b, "Acme||0"},
        {Block().N("companyName", "Acme").W("PRODUCTVERSION", "1").b, "||0"},
        {Block().N("ProductVersion", "").b, "||0"},
        {Block().N("ProductVersion", "   ").b, "|   |0"},
        {Block().N("ProductVersion", "1.2.3").Cut(3).b, "|1.2|1"},
        {Block().W("ProductVersion", "1.2.3").Cut(5).b, "|1.|1"},
        {Block().N("ProductVersion", "1.0").Cut(-1).b, "||0"},
        {Block().Fill(33000).N("CompanyName", "Acme").Fill(40000).W("ProductVersion", "7.0").b, "ACME|7.0|1"},
        // The first occurrence wins, even inside another value.
        {Block().N("X", "CompanyName Acme").N("CompanyName", "B").b, "ACME||0"},
        {Block().W("X", "ProductVersion  2").W("ProductVersion", "1").b, "|2|1"},
        // UTF-16 at an odd offset is not text; single bytes are looked for first.
        {Block().Fill(1).Text("ProductVersion", true).W("ProductVersion", "3.1").b, "|3.1|1"},
        {Block().W("ProductVersion", "1.0").N("ProductVersion", "9.9").b, "|9.9|1"}};
    FakeVersion api;
    for (const Case& c : cases) {
        const VersionScan scan = ScanVersionBlock(c.block, api);
        EXPECT_EQ(scan.companyName + "|" + scan.productVersion + "|" + (scan.hasProductVersion ? "1" : "0"), c.found);
    }
}

// The labels show what a successful read found; a size or a read that
// fails, and a block without a product version, show none.
TEST(VersionInfo, LabelsShowWhatASuccessfulReadFound) {
    const Bytes found = Block().N("CompanyName", "Acme").N("ProductVersion", "1.2").b;
    const std::string none = "(No Product Version available for this file)";
    struct Case {
        Bytes block;
        void (*spoil)(FakeVersion&);
        std::string info;
    };
    const Case cases[] = {
        {found, [](FakeVersion&) {}, "Company Name:  ACME\r\nProduct Version:  1.2 + please verify"},
        {Bytes(), [](FakeVersion&) {}, none},
        {found, [](FakeVersion& v) { v.sizeFails = true; }, none},
        {found, [](FakeVersion& v) { v.readFails = true; }, none},
        {Block().N("CompanyName", "New").b, [](FakeVersion&) {}, none}};
    for (const Case& c : cases) {
        Window w;
        w.version.block = c.block;
        c.spoil(w.version);
        w.StartWith("C:\\a.ocx", "C:\\a.ocx");
        w.form.cmdRegister_Click();
        EXPECT_EQ(w.controls.Info(), c.info);
    }
}

void Put(Bytes& b, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A PE image of one section, which holds the resource tree and, after it,
// the version block. Offsets are file offsets.
namespace image {
constexpr std::size_t kPeOffsetField = 0x3c;  // where the PE header is
constexpr std::size_t kPe = 0x40;             // "PE\0\0", then the file header
constexpr std::size_t kSectionCount = kPe + 6;
constexpr std::size_t kOptionalSize = kPe + 20;
constexpr std::size_t kOptional = kPe + 24;  // starts with its magic
// The data directories follow the optional header's fixed part, the count
// of them just before; the resources' entry is the third.
constexpr std::size_t Directories(bool pe32Plus) { return kOptional + (pe32Plus ? 112 : 96); }
constexpr std::size_t OptionalSize(bool pe32Plus) { return pe32Plus ? 0xf0 : 0xe0; }
constexpr std::size_t kResourceEntry = 16;
// The section header's fields, from its start.
constexpr std::size_t kSectionRva = 12, kSectionRawSize = 16, kSectionRawOffset = 20;
constexpr std::uint32_t kResourcesRva = 0x1000;
constexpr std::size_t kResources = 0x200;  // the section's data in the file
// The tree, from its start: one directory each for type, name and language,
// each with one entry, then the data entry and the block.
constexpr std::size_t kTypes = 0, kNames = 0x18, kLanguages = 0x30, kData = 0x48, kBlockAt = 0x58;
// Within a directory: the count of entries by id, then the first entry's
// id and where it leads (a subdirectory has the high bit set).
constexpr std::size_t kIdCount = 14, kEntryId = 16, kEntryTarget = 20;
constexpr std::uint32_t kSubdirectory = 0x80000000;
}  // namespace image

const Bytes kBlock = Block().W("ProductVersion", "4.5").b;

void Directory(Bytes& b, std::size_t at, std::uint32_t id, std::uint32_t target) {
    using namespace image;
    Put(b, kResources + at + kIdCount, 1);
    Put(b, kResources + at + kEntryId, id);
    Put(b, kResources + at + kEntryTarget, target);
}

Bytes Image(bool pe32Plus) {
    using namespace image;
    const std::size_t section = kOptional + OptionalSize(pe32Plus), directories = Directories(pe32Plus);
    const auto blockSize = static_cast<std::uint32_t>(kBlock.size());
    Bytes b(kResources + kBlockAt, 0);
    Put(b, 0, 0x5a4d);  // "MZ"
    Put(b, kPeOffsetField, kPe);
    Put(b, kPe, 0x4550);
    Put(b, kSectionCount, 1);
    Put(b, kOptionalSize, OptionalSize(pe32Plus));
    Put(b, kOptional, pe32Plus ? 0x20b : 0x10b);
    Put(b, directories - 4, 16);
    Put(b, directories + kResourceEntry, kResourcesRva);
    Put(b, section + kSectionRva, kResourcesRva);
    Put(b, section + kSectionRawSize, kBlockAt + blockSize);
    Put(b, section + kSectionRawOffset, kResources);
    Directory(b, kTypes, 16, kSubdirectory | kNames);  // RT_VERSION
    Directory(b, kNames, 1, kSubdirectory | kLanguages);
    Directory(b, kLanguages, 0x409, kData);
    Put(b, kResources + kData, kResourcesRva + kBlockAt);
    Put(b, kResources + kData + 4, blockSize);
    b.insert(b.end(), kBlock.begin(), kBlock.end());
    return b;
}

TEST(PeReader, FindsTheBlockOnlyInASoundImage) {
    using namespace image;
    for (const bool pe32Plus : {false, true}) {
        const Bytes image = Image(pe32Plus);
        const auto range = FindVersionResource(image.data(), image.size());
        ASSERT_TRUE(range);
        EXPECT_EQ(Bytes(image.begin() + range->offset, image.begin() + range->offset + range->size), kBlock);
    }
    struct Spoiled {
        const char* what;
        std::size_t at;
        std::uint32_t value;
    };
    const std::size_t section = kOptional + OptionalSize(false), tree = kResources;
    const Spoiled spoiled[] = {{"no MZ", 0, 0},
                               {"PE header outside", kPeOffsetField, 0xfffffffe},
                               {"no PE signature", kPe, 0},
                               {"unknown magic", kOptional, 0x107},
                               {"two data directories", Directories(false) - 4, 2},
                               {"section table outside", kSectionCount, 0xffff},
                               {"resources in no section", Directories(false) + kResourceEntry, 0x9000},
                               {"section data outside", section + kSectionRawOffset, 0xfffffff0},
                               {"subdirectory outside", tree + kTypes + kEntryTarget, 0xfffffff0},
                               {"block outside", tree + kData, 0x7ffffff0},
                               {"block too long", tree + kData + 4, 0xffffffff},
                               {"block empty", tree + kData + 4, 0},
                               {"named type", tree + kTypes + kEntryId, kSubdirectory | 0x10},
                               {"language level loops back", tree + kNames + kEntryTarget, kSubdirectory | kNames}};
    for (const Spoiled& s : spoiled) {
        Bytes image = Image(false);
        Put(image, s.at, s.value);
        EXPECT_FALSE(FindVersionResource(image.data(), image.size())) << s.what;
    }
    const Bytes image = Image(false);
    for (std::size_t size = 0; size < image.size(); ++size) {
        const Bytes cut(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_FALSE(FindVersionResource(cut.data(), cut.size())) << size;
    }
}

}  // namespace
}  // namespace kalvex::testing
