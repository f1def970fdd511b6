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
    ThreadHandle StartWorker(EntryPoint entry) override;
    bool WaitForWorker(ThreadHandle thread, std::uint32_t milliseconds) override;
    bool WorkerHasEnded(ThreadHandle thread) override;
    WorkerEnd HowWorkerEnded(ThreadHandle thread) override;
    std::uint32_t Milliseconds() override;
    void CloseWorker(ThreadHandle thread) override;
    void FreeComponent(ModuleHandle module) override;

private:
    std::uint32_t mLastLoadError = 0;
    Win32Diagnosis mDiagnosis;
};

}  // namespace kalvex
