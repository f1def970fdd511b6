// The batch files written for real. Windows only.
#pragma once

#include "file_api.h"

namespace kalvex {

class Win32Files final : public FileApi {
public:
    void Write(const std::string& path, const std::string& bytes) override;
};

}  // namespace kalvex
