// Prints, for each file named on the command line, what the window's version
// scan finds in it: path, result (-1 or 0), company name and product version,
// separated by tabs. Bytes below 0x20, 0x7f and backslashes are written as
// \xHH so that every file takes exactly one line.
#include <cstdio>
#include <string>
#include <vector>

#include "versioninfo/pe_version.h"
#include "versioninfo/version_scan.h"

namespace {

void PrintEscaped(const std::string& text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f || byte == '\\') {
            std::printf("\\x%02x", byte);
        } else {
            std::putchar(byte);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    kalvex::FileVersionApi api;
    for (int i = 1; i < argc; ++i) {
        const std::string path = argv[i];
        kalvex::VersionScan scan;
        const std::uint32_t size = api.GetFileVersionInfoSizeA(path);
        if (size != 0) {
            std::vector<std::uint8_t> block(size, 0);
            if (api.GetFileVersionInfoA(path, block) != 0) scan = kalvex::ScanVersionBlock(block, api);
        }
        PrintEscaped(path);
        std::printf("\t%d\t", scan.hasProductVersion ? -1 : 0);
        PrintEscaped(scan.companyName);
        std::putchar('\t');
        PrintEscaped(scan.productVersion);
        std::putchar('\n');
    }
    return 0;
}
