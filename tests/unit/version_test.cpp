// The version read: the resource inside the file, the values inside their
// entries, and the label that shows them.
#include "fake.h"
#include "versioninfo/pe_resources.h"
#include "versioninfo/version_label.h"
#include "versioninfo/version_scan.h"

namespace kalvex::testing {
namespace {

// Each key's first string entry wins, single bytes before UTF-16; a value
// ends at its value length, its entry's end or its NUL, and nothing past
// the root's length counts.
TEST(VersionScan, ValuesAreReadByTheirLengthsWithinTheBlock) {
    struct Case {
        const char* what;
        Bytes block;
        std::string company, version;
        bool hasVersion;
    };
    const std::string name = "A Company Whose Name Runs Past 21";
    const Case cases[] = {
        {"single bytes", Block().N("CompanyName", name).N("ProductVersion", "1.2b").b,
         "A COMPANY WHOSE NAME RUNS PAST 21", "1.2B", true},
        {"UTF-16", Block().W("CompanyName", name).W("ProductVersion", "2.0").b, name, "2.0", true},
        {"no version", Block().W("CompanyName", "Acme").b, "Acme", "", false},
        {"empty version", Block().N("ProductVersion", "").b, "", "", false},
        {"value length", Block().W("ProductVersion", "1.2.3").ValueLength(3).b, "", "1.2", true},
        {"value length past the entry", Block().W("ProductVersion", "1.2").ValueLength(900).b, "", "1.2", true},
        {"unterminated last value, bytes after the root",
         Block().W("ProductVersion", "7").W("CompanyName", "Acme").Unterminated().Seal().Text("FE2X", false).b, "Acme",
         "7", true},
        {"entry beyond the root", Block().W("CompanyName", "A").Seal().W("ProductVersion", "9").b, "A", "", false},
        {"bytes end inside the entry", Block().N("ProductVersion", "1.2.3").Cut(2).b, "", "", false},
        {"key inside another value", Block().W("X", "ProductVersion").W("ProductVersion", "1").b, "", "1", true},
        {"longer key", Block().W("CompanyNames", "X").W("CompanyName", "Y").b, "Y", "", false},
        {"single bytes first", Block().W("ProductVersion", "1.0").N("ProductVersion", "9.9").b, "", "9.9", true},
    };
    FakeVersion api;
    for (const Case& c : cases) {
        const VersionScan scan = ScanVersionBlock(c.block, api);
        EXPECT_EQ(scan.companyName, c.company) << c.what;
        EXPECT_EQ(scan.productVersion, c.version) << c.what;
        EXPECT_EQ(scan.hasProductVersion, c.hasVersion) << c.what;
    }
}

// A version resource counts only where it lies wholly inside its section's
// data in the file; what is read of it is bounded.
TEST(VersionRead, TheResourceLiesWhollyInsideTheFile) {
    struct Case {
        const char* what;
        VersionResource resource;
        std::optional<std::size_t> size;  // the resource's, as found
        std::optional<std::string> version;
    };
    const Bytes block = Block().W("CompanyName", "Acme").W("ProductVersion", "1.0").b;
    const std::size_t own = block.size();
    const Case cases[] = {
        {"well formed", {block}, own, "1.0"},
        {"declared 0x20000", {block, 0x20000}, std::nullopt, std::nullopt},
        {"declared 0x7FFFFFF0", {block, 0x7FFFFFF0}, std::nullopt, std::nullopt},
        {"more in the section", {block, static_cast<std::uint32_t>(own + 8), 8}, own + 8, "1.0"},
        {"past the section, inside the file",
         {block, static_cast<std::uint32_t>(own + 8), 0, 64},
         std::nullopt,
         std::nullopt},
        {"larger than a block can be", {block, 0x20000, 0x20000 - own}, 0x20000, "1.0"},
        {"no resources", {Bytes()}, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        FakeVersion api;
        api.image.version = c.resource;
        const std::string file = Image(api.image);
        const auto range = FindVersionResource(reinterpret_cast<const std::uint8_t*>(file.data()), file.size());
        EXPECT_EQ(range.has_value(), c.size.has_value()) << c.what;
        if (range && c.size) {
            EXPECT_EQ(range->size, *c.size) << c.what;
        }
        const auto info = ReadVersionInfo(api, "x.ocx");
        EXPECT_EQ(info.has_value(), c.version.has_value()) << c.what;
        if (info && c.version) {
            EXPECT_EQ(info->productVersion, *c.version) << c.what;
        }
    }
}

// The label holds two lines, the company's and the product version's, each
// value on its own line as stored, with nothing hidden and nothing turned
// round, and cut where it would push the second line out of view.
TEST(VersionLabel, ValuesCannotForgeTheLabel) {
    struct Case {
        std::string company, version, label;
    };
    const std::string longName(30000, 'W');  // as long as a block can hold
    const Case cases[] = {
        {"Microsoft Corporation\r\nProduct Version: 10.0.19041.1\r\n\r\n\r\n\r\nEvil", "5.6.7.8",
         "Company Name:  Microsoft Corporation¶Product Version: 10.0.19041.1¶¶¶¶Evil\r\n"
         "Product Version:  5.6.7.8"},
        {"Acme", "6.1.7601.17514\r\nCompany Name: Microsoft Corporation",
         "Company Name:  Acme\r\nProduct Version:  6.1.7601.17514¶Company Name: Microsoft Corporation"},
        {"A\rB\nC\013D\014E\u0085F\u2028G\u2029H", "1", "Company Name:  A¶B¶C¶D¶E¶F¶G¶H\r\nProduct Version:  1"},
        {"A\tB\001C\177D\u009bE\u3164F \u00A0\u2003\u3000\uFFA0G", "1",
         "Company Name:  A B C D E F G\r\nProduct Version:  1"},
        {"\u202Enoitaroproc tfosorciM", "1", "Company Name:  noitaroproc tfosorciM\r\nProduct Version:  1"},
        {"\u202A\u202B\u202C\u202D\u2066\u2067\u2068\u2069\u200E\u200F\u061CAcme", "1\u202E2",
         "Company Name:  Acme\r\nProduct Version:  12"},
        {"Micro\u200Bsoft\uFEFF\u00AD\u2060\U000E0041", "1", "Company Name:  Microsoft\r\nProduct Version:  1"},
        {"Компания 北京 Société 😀", "1", "Company Name:  Компания 北京 Société 😀\r\nProduct Version:  1"},
        {longName, "1.0", "Company Name:  " + longName.substr(0, 63) + "…\r\nProduct Version:  1.0"},
        {longName.substr(0, 64), "1.0", "Company Name:  " + longName.substr(0, 64) + "\r\nProduct Version:  1.0"},
    };
    for (const Case& c : cases) {
        Window w;
        w.version.image.version.block = Block().W("ProductVersion", c.version).W("CompanyName", c.company).b;
        w.StartWith("a", "C:\\D\\a.");
        w.form.cmdRegister_Click();
        EXPECT_EQ(w.controls.texts[ControlId::lblFileInfo], c.label) << c.company;
    }
}

}  // namespace
}  // namespace kalvex::testing
