// The diagnosis's questions to the system, asked for real. Windows only.
#pragma once

#include "diagnosis_api.h"

namespace kalvex {

class Win32Diagnosis final : public DiagnosisApi {
public:
    std::unique_ptr<FileView> OpenFile(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    LoaderAnswer AskLoader(const std::string& name) override;
    Machine ProgramMachine() override;
    bool Windows64() override;
    std::string WindowsFolder() override;
    bool Elevated() override;
    std::string SystemText(std::uint32_t code) override;
};

}  // namespace kalvex
