// The toolkit's file layer on Win32 files. Windows only.
#pragma once

#include <windows.h>

#include <array>

#include "shared/win32_handles.h"
#include "toolkit.h"

namespace kalvex {

class Win32Files final : public FileLayer {
public:
    int FreeFile() override;
    void OpenForOutput(int fileNumber, const std::string& path) override;
    void WriteText(int fileNumber, const std::string& text) override;
    void Close(int fileNumber) override;

private:
    // File numbers run from 1 to the number of slots.
    UniqueFile& Slot(int fileNumber);

    std::array<UniqueFile, 16> slots_;
};

}  // namespace kalvex
