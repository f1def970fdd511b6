// The version read's calls answered on platforms without Windows: files
// read whole into memory, single-byte text taken as ISO 8859-1. Portable.
#pragma once

#include "versioninfo/version_api.h"

namespace kalvex {

class FileVersionApi final : public VersionApi {
public:
    std::unique_ptr<FileBytes> OpenFile(const std::string& path) override;
    // Without a system code page, each byte stands for itself (ISO 8859-1).
    std::string Utf8FromSystemCodePage(const std::string& text) override;
};

}  // namespace kalvex
