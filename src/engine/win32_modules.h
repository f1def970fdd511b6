// The kernel calls of the registration engine, made for real. Windows only.
#pragma once

#include "diagnosis/win32_diagnosis.h"
#include "module_api.h"

namespace kalvex {

class Win32Modules final : public ModuleApi {
public:
    ModuleHandle LoadComponent(const std::string& path) override;
    std::uint32_t LastLoadError() override { return mLastLoadError; }
    DiagnosisApi* Diagnosis() override { return &mDiagnosis; }
    EntryPoint FindEntryPoint(ModuleHandle module, const std::string& name) override;
    std::unique_ptr<Worker> StartWorker(EntryPoint entry) override;
    std::uint32_t Milliseconds() override;
    void FreeComponent(ModuleHandle module) override;
    std::uint32_t MapClassesToUser() override;
    void UnmapClasses() override;

private:
    std::uint32_t mLastLoadError = 0;
    Win32Diagnosis mDiagnosis;
};

}  // namespace kalvex
