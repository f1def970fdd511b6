// The version scan, the window's version labels and the PE reader.
#include <cstdio>
#include <fstream>

#include "fake.h"
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
    Block& Cut(std::ptrdiff_t into) { return b.resize(valueAt + into), *this; }
    Bytes b;
    std::size_t valueAt = 0;
};

TEST(VersionScan, FindsCompanyAndVersionByTheirKeys) {
    const std::string name = "A Company Whose Name Runs Past 21";
    // The block, then company|version|whether it has a version.
    const std::pair<Bytes, std::string> cases[] = {
        {Block().N("CompanyName", name).N("ProductVersion", "1.2").b, name + "|1.2|1"},
        {Block().W("CompanyName", name).W("ProductVersion", "2.0").b, "~" + name + "|~2.0|1"},
        {Block().N("ProductVersion", "5.0").b, "|5.0|1"},
        // Single bytes are in the legacy code page, not in the program's.
        {Block().N("CompanyName", "Soci\xE9t\xE9").N("ProductVersion", "1.6").b, "Soci\u00E9t\u00E9|1.6|1"},
        {Block().W("CompanyName", "Acme").b, "~Acme||0"},
        {Block().N("companyName", "Acme").W("PRODUCTVERSION", "1").b, "||0"},
        {Block().N("ProductVersion", "").b, "||0"},
        {Block().N("ProductVersion", "   ").b, "|   |0"},
        {Block().N("ProductVersion", "1.2.3").Cut(3).b, "|1.2|1"},
        {Block().W("ProductVersion", "1.2.3").Cut(5).b, "|~1.|1"},
        {Block().N("ProductVersion", "1.0").Cut(-1).b, "||0"},
        {Block().Fill(33000).N("CompanyName", "Acme").Fill(40000).W("ProductVersion", "7.0").b, "Acme|~7.0|1"},
        // The first occurrence wins, even inside another value.
        {Block().N("X", "CompanyName Acme").N("CompanyName", "B").b, "Acme||0"},
        {Block().W("X", "ProductVersion  2").W("ProductVersion", "1").b, "|~2|1"},
        // UTF-16 at an odd offset is not text; single bytes are looked for first.
        {Block().Fill(1).Text("ProductVersion", true).W("ProductVersion", "3.1").b, "|~3.1|1"},
        {Block().W("ProductVersion", "1.0").N("ProductVersion", "9.9").b, "|9.9|1"}};
    Fake api;
    for (const auto& [block, found] : cases) {
        const VersionScan scan = ScanVersionBlock(block, api);
        EXPECT_EQ(scan.companyName + "|" + scan.productVersion + "|" + (scan.hasProductVersion ? "1" : "0"), found);
    }
}

TEST_F(FormTest, VersionLabelsShowWhatASuccessfulReadFound) {
    f.block = Block().N("CompanyName", "Acme").N("ProductVersion", "1.2").b;
    f.answers = {{"size", 90}, {"read", 7}};
    form.ShowFileInfo("a");
    EXPECT_EQ(f.given, Bytes(90, 0));
    EXPECT_EQ(form.ApiResult(), 7);
    EXPECT_EQ(f.Take(),
              "size a | read a | show lblPleaseVerify | lblFileInfo=Company Name:  Acme\r\nProduct Version:  1.2");
    // Failures keep the names; a read that worked replaces both. Answers,
    // failing calls, calls, the read's result, names.
    f.block = Block().N("CompanyName", "New").b;
    const std::tuple<std::map<std::string, std::uint32_t>, std::vector<std::string>, std::string, int, std::string>
        cases[] = {{{{"size", 0}}, {}, "size b | ", 7, "Acme|1.2"},
                   {{}, {"size"}, "size b | ", 7, "Acme|1.2"},
                   {{{"read", 0}}, {}, "size b | read b | ", 0, "Acme|1.2"},
                   {{{"read", 3}}, {}, "size b | read b | ", 3, "New|"}};
    for (const auto& [answers, fails, calls, apiResult, names] : cases) {
        f.answers = answers;
        f.fails = fails;
        form.ShowFileInfo("b");
        EXPECT_EQ(f.Take(), calls + "hide lblPleaseVerify | lblFileInfo=(No Product Version available for this file)");
        EXPECT_EQ(form.ApiResult(), apiResult);
        EXPECT_EQ(form.CompanyName() + "|" + form.ProductVersion(), names);
    }
}

void Put(Bytes& b, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A PE image whose one section (RVA 0x1000, file offset 0x200) holds the
// resource tree, its data entry at 0x248 and the block after it.
constexpr std::size_t kPe = 0x40, kOptional = kPe + 24, kRsrc = 0x200;
const Bytes kBlock = Block().W("ProductVersion", "4.5").b;

Bytes Image(bool pe32Plus) {
    const std::size_t p = kPe, o = kOptional, r = kRsrc, size = pe32Plus ? 0xf0 : 0xe0, t = o + size;
    const std::uint32_t d = o + (pe32Plus ? 112 : 96), n = kBlock.size();
    Bytes b(r + 0x58, 0);
    Put(b, 0, 0x5a4d), Put(b, 0x3c, p), Put(b, p, 0x4550), Put(b, p + 6, 1), Put(b, p + 20, size),
        Put(b, o, pe32Plus ? 0x20b : 0x10b);
    // Resource directory, then the one section.
    Put(b, d - 4, 16), Put(b, d + 16, 0x1000), Put(b, t + 12, 0x1000), Put(b, t + 16, 0x58 + n), Put(b, t + 20, r);
    // Type, name and language directories of one entry each, the data entry.
    Put(b, r + 14, 1), Put(b, r + 16, 16), Put(b, r + 20, 0x80000018), Put(b, r + 0x26, 1), Put(b, r + 0x28, 1),
        Put(b, r + 0x2c, 0x80000030), Put(b, r + 0x3e, 1), Put(b, r + 0x40, 0x409), Put(b, r + 0x44, 0x48),
        Put(b, r + 0x48, 0x1058), Put(b, r + 0x4c, n);
    b.insert(b.end(), kBlock.begin(), kBlock.end());
    return b;
}

TEST(PeReader, FindsTheBlockOnlyInASoundImageAndReadsItFromAFile) {
    for (const bool pe32Plus : {false, true}) {
        const Bytes image = Image(pe32Plus);
        const auto range = FindVersionResource(image.data(), image.size());
        ASSERT_TRUE(range);
        EXPECT_EQ(Bytes(image.begin() + range->offset, image.begin() + range->offset + range->size), kBlock);
    }
    const auto spoiled = [](std::size_t at, std::uint32_t value) {
        Bytes image = Image(false);
        Put(image, at, value);
        EXPECT_FALSE(FindVersionResource(image.data(), image.size())) << at << " " << value;
    };
    const std::size_t o = kOptional, r = kRsrc;
    // No MZ, PE header outside, no PE signature, unknown magic, two data
    // directories, section table outside, resources in no section, section
    // data outside.
    spoiled(0, 0), spoiled(0x3c, 0xfffffffe), spoiled(kPe, 0), spoiled(o, 0x107), spoiled(o + 92, 2),
        spoiled(kPe + 6, 0xffff), spoiled(o + 112, 0x9000), spoiled(o + 0xf4, 0xfffffff0);
    // Subdirectory outside, block outside, too long, empty, named type, and
    // a language level that loops back to the name level.
    spoiled(r + 20, 0xfffffff0), spoiled(r + 0x48, 0x7ffffff0), spoiled(r + 0x4c, 0xffffffff), spoiled(r + 0x4c, 0),
        spoiled(r + 16, 0x80000010), spoiled(r + 0x2c, 0x80000018);
    const Bytes image = Image(false);
    for (std::size_t size = 0; size < image.size(); ++size) {
        const Bytes cut(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_FALSE(FindVersionResource(cut.data(), cut.size())) << size;
    }
    // The same through a file.
    const std::string path = ::testing::TempDir() + "kalvex_version_test.dll";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    FileVersionApi api;
    Bytes block(kBlock.size(), 0);
    EXPECT_EQ(api.GetFileVersionInfoSizeA(path), kBlock.size());
    EXPECT_EQ(api.GetFileVersionInfoA(path, block), 1);
    EXPECT_EQ(block, kBlock);
    EXPECT_EQ(api.AnsiFromUtf16(u"A\u00e9\u4e2d"), "A\xe9?");
    std::remove(path.c_str());
    EXPECT_EQ(api.GetFileVersionInfoSizeA(path), 0U);
    EXPECT_EQ(api.GetFileVersionInfoA(path, block), 0);
}

}  // namespace
}  // namespace kalvex::testing
