// Prints, for each file named, what the window's version scan finds in it:
// path, result (-1 or 0), company name and product version, tab-separated;
// bytes below 0x20, 0x7f and backslashes as \xHH, so one line per file.
#include <cstdio>

#include "pe_reader/pe_version.h"
#include "versioninfo/version_scan.h"

namespace {
void Print(const std::string& text, const char* after) {
    for (const unsigned char byte : text) {
        (byte < 0x20 || byte == 0x7f || byte == '\\') ? std::printf("\\x%02x", byte) : std::putchar(byte);
    }
    std::fputs(after, stdout);
}
}  // namespace

int main(int argc, char** argv) {
    kalvex::FileVersionApi api;
    for (int i = 1; i < argc; ++i) {
        const auto scan = kalvex::ReadVersionInfo(api, argv[i]).value_or(kalvex::VersionScan{});
        Print(argv[i], scan.hasProductVersion ? "\t-1\t" : "\t0\t");
        Print(scan.companyName, "\t");
        Print(scan.productVersion, "\n");
    }
    return 0;
}
