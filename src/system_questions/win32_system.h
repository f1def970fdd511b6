// The system questions asked of Windows for real. Windows only.
#pragma once

#include "system_api.h"

namespace kalvex {

class Win32System final : public SystemApi {
public:
    std::uint16_t NativeProcessorArchitecture() override;
    std::string SystemDirectory() override;
    bool CanOpenForReading(const std::string& path) override;
    std::string FullPathName(const std::string& path) override;
};

}  // namespace kalvex
