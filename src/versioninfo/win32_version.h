// The version read's calls made for real: the file mapped read-only, the
// system's code page. Windows only.
#pragma once

#include "version_api.h"

namespace kalvex {

class Win32Version final : public VersionApi {
public:
    std::unique_ptr<FileBytes> OpenFile(const std::string& path) override;
    std::string Utf8FromSystemCodePage(const std::string& text) override;
};

}  // namespace kalvex
