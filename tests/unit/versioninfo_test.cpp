#include <cstdio>
#include <fstream>
#include <functional>

#include <gtest/gtest.h>

#include "form_fixture.h"
#include "versioninfo/pe_version.h"
#include "versioninfo/version_scan.h"

namespace kalvex::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Utf16(const std::u16string& text) {
    Bytes bytes;
    for (char16_t unit : text) bytes.insert(bytes.end(), {std::uint8_t(unit & 0xff), std::uint8_t(unit >> 8)});
    return bytes;
}

// Lays out string entries as resource compilers do: each on a 4-byte
// boundary, the lengths first, then the key and the value with their NULs.
struct Block {
    Block& Narrow(const std::string& key, const std::string& value) {
        const std::size_t start = Entry(0);
        for (char c : key + '\0') bytes.push_back(static_cast<std::uint8_t>(c));
        Align();
        valueAt = bytes.size();
        for (char c : value + '\0') bytes.push_back(static_cast<std::uint8_t>(c));
        return Close(start);
    }
    Block& Wide(const std::u16string& key, const std::u16string& value) {
        const std::size_t start = Entry(2);
        Units(key + u'\0');
        Align();
        valueAt = bytes.size();
        Units(value + u'\0');
        return Close(start);
    }
    Block& Raw(const Bytes& raw) {
        bytes.insert(bytes.end(), raw.begin(), raw.end());
        return *this;
    }
    Block& Fill(std::size_t count) { return Raw(Bytes(count, 'x')); }
    // Ends the block `count` bytes into the last value.
    Block& EndAfter(std::size_t count) {
        bytes.resize(valueAt + count);
        return *this;
    }

    Bytes bytes;

private:
    std::size_t Entry(std::size_t typeBytes) {
        Align();
        const std::size_t start = bytes.size();
        bytes.resize(start + 4 + typeBytes, 0);  // lengths (and type), filled in by Close
        return start;
    }
    Block& Close(std::size_t start) {
        const std::size_t length = bytes.size() - start;
        bytes[start] = length & 0xff;
        bytes[start + 1] = length >> 8;
        return *this;
    }
    void Units(const std::u16string& text) { Raw(Utf16(text)); }
    void Align() { bytes.resize((bytes.size() + 3) / 4 * 4, 0); }

    std::size_t valueAt = 0;
};

struct ScanCase {
    const char* name;
    Bytes block;
    std::string company;
    std::string version;
    bool found;
};

void PrintTo(const ScanCase& c, std::ostream* os) { *os << c.name; }

class ScanTest : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ScanTest, FindsNameAndVersion) {
    const ScanCase& c = GetParam();
    FakeVersion api;
    const VersionScan scan = ScanVersionBlock(c.block, api);
    EXPECT_EQ(scan.companyName, c.company);
    EXPECT_EQ(scan.productVersion, c.version);
    EXPECT_EQ(scan.hasProductVersion, c.found);
}

const std::string kName21 = "Twenty-One Characters";
const std::string kLongName = "A Company Whose Name Runs Well Past Twenty-One";

INSTANTIATE_TEST_SUITE_P(
    Blocks, ScanTest,
    ::testing::Values(
        ScanCase{"single_byte",
                 Block()
                     .Narrow("FileDescription", "Widget")
                     .Narrow("CompanyName", "Acme")
                     .Narrow("ProductVersion", "1.2.3")
                     .Narrow("ProductName", "W")
                     .bytes,
                 "Acme", "1.2.3", true},
        ScanCase{"utf16",
                 Block()
                     .Wide(u"FileDescription", u"Widget")
                     .Wide(u"CompanyName", u"Acme")
                     .Wide(u"ProductVersion", u"1.2.3")
                     .Wide(u"ProductName", u"W")
                     .bytes,
                 "Acme", "1.2.3", true},
        ScanCase{"single_byte_name_of_21", Block().Narrow("CompanyName", kName21).Narrow("ProductVersion", "1").bytes,
                 kName21, "1", true},
        ScanCase{"single_byte_long_name", Block().Narrow("CompanyName", kLongName).Narrow("ProductVersion", "1").bytes,
                 kLongName, "1", true},
        ScanCase{"utf16_long_name",
                 Block()
                     .Wide(u"CompanyName", u"A Company Whose Name Runs Well Past Twenty-One")
                     .Wide(u"ProductVersion", u"1")
                     .bytes,
                 kLongName, "1", true},
        ScanCase{"utf16_goes_through_the_code_page",
                 Block().Wide(u"CompanyName", u"Gr\u00fcn \u4e2d").Wide(u"ProductVersion", u"2.0\u00df").bytes,
                 "Gr#n #", "2.0#", true},
        ScanCase{"no_company_still_found", Block().Narrow("ProductVersion", "5.0").bytes, "", "5.0", true},
        ScanCase{"no_version", Block().Wide(u"CompanyName", u"Acme").bytes, "Acme", "", false},
        ScanCase{"keys_in_other_letter_case", Block().Narrow("companyName", "Acme").Wide(u"PRODUCTVERSION", u"1").bytes,
                 "", "", false},
        ScanCase{"empty_version", Block().Narrow("CompanyName", "Acme").Narrow("ProductVersion", "").bytes, "Acme", "",
                 false},
        ScanCase{"empty_utf16_version", Block().Wide(u"ProductVersion", u"").bytes, "", "", false},
        ScanCase{"all_space_version", Block().Wide(u"ProductVersion", u"   ").bytes, "", "   ", false},
        ScanCase{"spaces_around_version_kept", Block().Narrow("ProductVersion", " 1.0 ").bytes, "", " 1.0 ", true},
        ScanCase{"block_ends_inside_value",
                 Block().Narrow("CompanyName", "Acme").Narrow("ProductVersion", "1.2.3").EndAfter(3).bytes, "Acme",
                 "1.2", true},
        ScanCase{"block_ends_inside_utf16_value", Block().Wide(u"ProductVersion", u"1.2.3").EndAfter(5).bytes, "", "1.",
                 true},
        ScanCase{"block_ends_before_value", Block().Narrow("ProductVersion", "1.0").EndAfter(0).bytes, "", "", false},
        ScanCase{"keys_beyond_32767",
                 Block().Narrow("CompanyName", "Acme").Fill(40000).Narrow("ProductVersion", "7.0").bytes, "Acme", "7.0",
                 true},
        ScanCase{"utf16_keys_beyond_32767",
                 Block().Fill(33000).Wide(u"CompanyName", u"Acme").Fill(40000).Wide(u"ProductVersion", u"7.0").bytes,
                 "Acme", "7.0", true},
        // The first occurrence wins, even inside another entry's value.
        ScanCase{"key_inside_an_earlier_value",
                 Block().Narrow("FileDescription", "ProductVersion  beta").Narrow("ProductVersion", "1.0").bytes, "",
                 "beta", true},
        ScanCase{"utf16_key_inside_an_earlier_value",
                 Block().Wide(u"FileDescription", u"ProductVersion: 2.0").Wide(u"ProductVersion", u"1.0").bytes, "",
                 "2.0", true},
        // UTF-16 text at an odd offset is not text of the block.
        ScanCase{"utf16_key_at_odd_offset",
                 Block().Raw({0}).Raw(Utf16(u"ProductVersion")).Wide(u"ProductVersion", u"3.1").bytes, "", "3.1", true},
        // Each key is looked for as single-byte text first, wherever it lies.
        ScanCase{
            "single_byte_before_utf16",
            Block().Wide(u"CompanyName", u"Acme").Wide(u"ProductVersion", u"1.0").Narrow("ProductVersion", "9.9").bytes,
            "Acme", "9.9", true}),
    [](const ::testing::TestParamInfo<ScanCase>& info) { return std::string(info.param.name); });

// ---- the window ----

class VersionFormTest : public FormFixture {
protected:
    void ReadOnce(const std::string& company, const std::string& product) {
        version.block = Block().Narrow("CompanyName", company).Narrow("ProductVersion", product).bytes;
        ASSERT_EQ(form.GetVersionInfo("old.ocx"), kTrue);
    }
};

TEST_F(VersionFormTest, ShowsNameAndVersionFromAZeroFilledBufferOfTheQueriedSize) {
    version.block = Block().Wide(u"CompanyName", u"Acme").Wide(u"ProductVersion", u"1.2").bytes;
    version.size = static_cast<std::uint32_t>(version.block.size() + 10);
    version.readResult = 7;

    form.ShowFileInfo(" c:\\x.ocx ");

    EXPECT_EQ(version.sizeQueries, std::vector<std::string>{" c:\\x.ocx "});
    ASSERT_EQ(version.buffersGiven.size(), 1u);
    EXPECT_EQ(version.buffersGiven[0], Bytes(*version.size, 0));
    EXPECT_EQ(form.ApiResult(), 7);
    EXPECT_TRUE(controls.Visible(ControlId::lblPleaseVerify));
    EXPECT_EQ(controls.TextOf(ControlId::lblFileInfo), "Company Name:  Acme\r\nProduct Version:  1.2");
    EXPECT_TRUE(toolkit.messages.empty());
}

struct FailureCase {
    const char* name;
    std::function<void(FakeVersion&)> arrange;
    std::int32_t apiResult;
    std::string company;  // after a first, successful read of "Old" and "0.9"
    std::string version;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class VersionFailureTest : public VersionFormTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(VersionFailureTest, ShowsNoVersionAndKeepsWhatTheReadDidNotReplace) {
    const FailureCase& c = GetParam();
    ReadOnce("Old", "0.9");
    controls.state[ControlId::lblPleaseVerify].visible = true;
    c.arrange(version);

    form.ShowFileInfo("new.ocx");

    EXPECT_EQ(form.ApiResult(), c.apiResult);
    EXPECT_EQ(form.CompanyName(), c.company);
    EXPECT_EQ(form.ProductVersion(), c.version);
    EXPECT_FALSE(controls.Visible(ControlId::lblPleaseVerify));
    EXPECT_EQ(controls.TextOf(ControlId::lblFileInfo), "(No Product Version available for this file)");
}

INSTANTIATE_TEST_SUITE_P(
    Failures, VersionFailureTest,
    ::testing::Values(FailureCase{"no_block", [](FakeVersion& v) { v.block.clear(); }, 1, "Old", "0.9"},
                      FailureCase{"size_query_raises", [](FakeVersion& v) { v.sizeFails = true; }, 1, "Old", "0.9"},
                      FailureCase{"read_fails", [](FakeVersion& v) { v.readResult = 0; }, 0, "Old", "0.9"},
                      // A read that worked replaces both, even without a version.
                      FailureCase{"no_version_in_block",
                                  [](FakeVersion& v) {
                                      v.block = Block().Narrow("CompanyName", "New").bytes;
                                      v.readResult = 3;
                                  },
                                  3, "New", ""}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

// ---- the PE reader ----

void Put16(Bytes& b, std::size_t at, std::uint32_t v) {
    b[at] = v & 0xff;
    b[at + 1] = (v >> 8) & 0xff;
}
void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
    Put16(b, at, v & 0xffff);
    Put16(b, at + 2, v >> 16);
}

// A minimal image: one section ".rsrc" at RVA 0x1000, file offset 0x200,
// holding the tree type 16 / name 1 / language 0x409 and the block.
constexpr std::size_t kPe = 0x40, kOptional = kPe + 24, kRsrc = 0x200, kBlockAt = kRsrc + 0x58;
const Bytes kVersionBlock = Block().Wide(u"ProductVersion", u"4.5").bytes;

Bytes Image(bool pe32Plus = false) {
    const std::size_t optionalSize = pe32Plus ? 0xf0 : 0xe0;
    Bytes b(kBlockAt, 0);
    b[0] = 'M';
    b[1] = 'Z';
    Put32(b, 0x3c, kPe);
    Put32(b, kPe, 0x4550);
    Put16(b, kPe + 6, 1);  // sections
    Put16(b, kPe + 20, optionalSize);
    Put16(b, kOptional, pe32Plus ? 0x20b : 0x10b);
    const std::size_t directories = kOptional + (pe32Plus ? 112 : 96);
    Put32(b, directories - 4, 16);
    Put32(b, directories + 16, 0x1000);  // resource directory
    const std::size_t section = kOptional + optionalSize;
    Put32(b, section + 12, 0x1000);
    Put32(b, section + 16, 0x58 + kVersionBlock.size());
    Put32(b, section + 20, kRsrc);
    // Three directory levels of one id entry each, then the data entry.
    const std::uint32_t ids[] = {16, 1, 0x409};
    for (std::uint32_t level = 0; level < 3; ++level) {
        const std::size_t at = kRsrc + std::size_t{level} * 0x18;
        Put16(b, at + 14, 1);
        Put32(b, at + 16, ids[level]);
        Put32(b, at + 20, (level + 1) * 0x18 | (level < 2 ? 0x80000000u : 0));
    }
    Put32(b, kRsrc + 0x48, 0x1058);
    Put32(b, kRsrc + 0x4c, static_cast<std::uint32_t>(kVersionBlock.size()));
    b.insert(b.end(), kVersionBlock.begin(), kVersionBlock.end());
    return b;
}

struct ImageCase {
    const char* name;
    std::function<void(Bytes&)> spoil;
    bool found;
};

void PrintTo(const ImageCase& c, std::ostream* os) { *os << c.name; }

class ImageTest : public ::testing::TestWithParam<ImageCase> {};

TEST_P(ImageTest, FindsTheBlockOnlyInASoundImage) {
    const ImageCase& c = GetParam();
    Bytes image = Image();
    c.spoil(image);
    const auto range = FindVersionResource(image.data(), image.size());
    ASSERT_EQ(range.has_value(), c.found);
    if (c.found) {
        EXPECT_EQ(Bytes(image.begin() + range->offset, image.end()), kVersionBlock);
    }
}

const std::size_t kSection = kOptional + 0xe0;

INSTANTIATE_TEST_SUITE_P(
    Images, ImageTest,
    ::testing::Values(
        ImageCase{"pe32", [](Bytes&) {}, true}, ImageCase{"pe32_plus", [](Bytes& b) { b = Image(true); }, true},
        ImageCase{"no_mz", [](Bytes& b) { b[0] = 'N'; }, false},
        ImageCase{"pe_header_outside", [](Bytes& b) { Put32(b, 0x3c, 0xfffffffe); }, false},
        ImageCase{"unknown_magic", [](Bytes& b) { Put16(b, kOptional, 0x107); }, false},
        ImageCase{"two_data_directories", [](Bytes& b) { Put32(b, kOptional + 92, 2); }, false},
        ImageCase{"optional_header_too_short", [](Bytes& b) { Put16(b, kPe + 20, 0x70); }, false},
        ImageCase{"section_table_outside", [](Bytes& b) { Put16(b, kPe + 6, 0xffff); }, false},
        ImageCase{"resources_in_no_section", [](Bytes& b) { Put32(b, kOptional + 96 + 16, 0x9000); }, false},
        ImageCase{"section_data_outside", [](Bytes& b) { Put32(b, kSection + 20, 0xfffffff0); }, false},
        ImageCase{"subdirectory_outside", [](Bytes& b) { Put32(b, kRsrc + 20, 0xfffffff0); }, false},
        ImageCase{"data_entry_outside", [](Bytes& b) { Put32(b, kRsrc + 0x30 + 20, 0x7ffffff0); }, false},
        ImageCase{"block_outside", [](Bytes& b) { Put32(b, kRsrc + 0x48, 0x7ffffff0); }, false},
        ImageCase{"block_too_long", [](Bytes& b) { Put32(b, kRsrc + 0x4c, 0xffffffff); }, false},
        ImageCase{"empty_block", [](Bytes& b) { Put32(b, kRsrc + 0x4c, 0); }, false},
        ImageCase{"named_type", [](Bytes& b) { Put32(b, kRsrc + 16, 0x80000010u); }, false},
        ImageCase{"huge_entry_count_without_version",
                  [](Bytes& b) {
                      Put32(b, kRsrc + 16, 17);
                      Put16(b, kRsrc + 12, 0xffff);
                  },
                  false},
        ImageCase{"directory_points_to_itself", [](Bytes& b) { Put32(b, kRsrc + 20, 0x80000000u); }, false},
        ImageCase{"language_level_loops_back", [](Bytes& b) { Put32(b, kRsrc + 0x18 + 20, 0x80000018u); }, false}),
    [](const ::testing::TestParamInfo<ImageCase>& info) { return std::string(info.param.name); });

TEST(ImageTruncationTest, EveryTruncationFindsNothing) {
    const Bytes image = Image();
    for (std::size_t size = 0; size < image.size(); ++size) {
        const Bytes cut(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_FALSE(FindVersionResource(cut.data(), cut.size())) << size;
    }
}

TEST(FileVersionApiTest, ReadsTheBlockOfAFile) {
    const std::string path = ::testing::TempDir() + "kalvex_version_test.dll";
    const Bytes image = Image();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    FileVersionApi api;

    ASSERT_EQ(api.GetFileVersionInfoSizeA(path), kVersionBlock.size());
    Bytes block(kVersionBlock.size(), 0);
    EXPECT_NE(api.GetFileVersionInfoA(path, block), 0);
    EXPECT_EQ(block, kVersionBlock);
    EXPECT_EQ(api.AnsiFromUtf16(u"A\u00e9\u4e2d"), "A\xe9?");
    std::remove(path.c_str());

    EXPECT_EQ(api.GetFileVersionInfoSizeA(path), 0u);
    EXPECT_EQ(api.GetFileVersionInfoA(path, block), 0);
}

}  // namespace
}  // namespace kalvex::testing
