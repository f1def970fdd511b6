// libFuzzer target: arbitrary bytes through the PE reader and, both as the
// block found there and as they are, through the version scan.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "pe_reader/pe_version.h"
#include "versioninfo/version_scan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kalvex::FileVersionApi api;  // only its code-page stand-in is used
    if (const auto range = kalvex::FindVersionResource(data, size)) {
        if (range->offset > size || range->size > size - range->offset || range->size == 0) __builtin_trap();
        const std::vector<std::uint8_t> block(data + range->offset, data + range->offset + range->size);
        kalvex::ScanVersionBlock(block, api);
    }
    const kalvex::VersionScan scan = kalvex::ScanVersionBlock(std::vector<std::uint8_t>(data, data + size), api);
    // UTF-8 takes at most twice the bytes of a value in either width.
    if (scan.companyName.size() > 2 * size || scan.productVersion.size() > 2 * size) __builtin_trap();
    return 0;
}
