// libFuzzer target: arbitrary bytes through the PE reader and, both as the
// block found there and as they are, through the version scan and the
// label's rendering of its values.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "pe_reader/pe_version.h"
#include "versioninfo/pe_resources.h"
#include "versioninfo/version_label.h"
#include "versioninfo/version_scan.h"

namespace {

// A shown value is one line of at most kLongestShownValue characters.
void CheckShown(const std::string& value) {
    const std::string shown = kalvex::ShownVersionValue(value);
    std::size_t characters = 0;
    for (const char c : shown) {
        if (c == '\r' || c == '\n') __builtin_trap();
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }
    if (characters > kalvex::kLongestShownValue) __builtin_trap();
}

void Scan(const std::vector<std::uint8_t>& block, kalvex::VersionApi& api) {
    const kalvex::VersionScan scan = kalvex::ScanVersionBlock(block, api);
    // A value is read within the block: UTF-8 takes at most three bytes for
    // two of UTF-16 and two for one single byte.
    if (scan.companyName.size() > 2 * block.size() || scan.productVersion.size() > 2 * block.size()) __builtin_trap();
    CheckShown(scan.companyName);
    CheckShown(scan.productVersion);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kalvex::FileVersionApi api;  // only its code-page stand-in is used
    if (const auto range = kalvex::FindVersionResource(data, size)) {
        if (range->offset > size || range->size > size - range->offset || range->size == 0) __builtin_trap();
        Scan(std::vector<std::uint8_t>(data + range->offset, data + range->offset + range->size), api);
    }
    Scan(std::vector<std::uint8_t>(data, data + size), api);
    return 0;
}
