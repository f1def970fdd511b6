// The version scan.
#include "fake.h"
#include "versioninfo/version_scan.h"

namespace kalvex::testing {
namespace {

TEST(VersionScan, FindsCompanyAndVersionByTheirKeysQuirkTheFirstOccurrenceWinsAnywhere) {
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

}  // namespace
}  // namespace kalvex::testing
