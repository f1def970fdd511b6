// The system calls of the probes, made for real. Windows only.
#pragma once

#include "system_api.h"

namespace kalvex {

class Win32System final : public SystemApi {
public:
    std::uint16_t NativeProcessorArchitecture() override;
    std::uint32_t SystemDirectory(char16_t* buffer, std::uint32_t size) override;
    bool CanOpenForReading(const std::string& path) override;
    std::string FullPathName(const std::string& path) override;
};

}  // namespace kalvex
