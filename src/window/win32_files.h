// The toolkit's file layer on Win32 files. Windows only.
#pragma once

#include "toolkit.h"

namespace kalvex {

class Win32Files final : public FileLayer {
public:
    int FreeFile() override;
    void OpenForOutput(int fileNumber, const std::string& path) override;
    void WriteText(int fileNumber, const std::string& text) override;
    void Close(int fileNumber) override;
};

}  // namespace kalvex
