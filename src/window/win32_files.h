// The toolkit's file layer on Win32 files. Windows only.
#pragma once

#include "toolkit.h"

namespace kalvex {

class Win32Files final : public FileLayer {
public:
    void Write(const std::string& path, const std::string& bytes) override;
};

}  // namespace kalvex
