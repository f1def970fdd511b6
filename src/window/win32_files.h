// The toolkit's file layer on Win32 files. Windows only.
#pragma once

#include <windows.h>

#include "toolkit.h"

namespace kalvex {

class Win32Files final : public FileLayer {
public:
    Win32Files();
    ~Win32Files() override;
    Win32Files(const Win32Files&) = delete;
    Win32Files& operator=(const Win32Files&) = delete;

    int FreeFile() override;
    void OpenForOutput(int fileNumber, const std::string& path) override;
    void WriteText(int fileNumber, const std::string& text) override;
    void Close(int fileNumber) override;

private:
    // File numbers run from 1 to kSlots.
    static constexpr int kSlots = 16;
    HANDLE& Slot(int fileNumber);

    HANDLE slots_[kSlots];
};

}  // namespace kalvex
