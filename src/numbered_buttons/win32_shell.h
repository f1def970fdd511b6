// The shell calls of the numbered buttons, made for real. Windows only.
#pragma once

#include "shell_api.h"

namespace kalvex {

class Win32Shell final : public ShellApi {
public:
    std::uint32_t IsUserAnAdmin() override;
    void Launch(const std::string& operation, const std::string& file, const std::string& parameters,
                int showCommand) override;
};

}  // namespace kalvex
