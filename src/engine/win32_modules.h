// The kernel calls of the registration engine, made for real. Windows only.
#pragma once

#include "module_api.h"

namespace kalvex {

class Win32Modules final : public ModuleApi {
public:
    ModuleHandle LoadComponent(const std::string& path) override;
    EntryPoint FindEntryPoint(ModuleHandle module, const std::string& name) override;
    ThreadHandle StartWorker(EntryPoint entry) override;
    bool WaitForWorker(ThreadHandle thread, std::uint32_t milliseconds) override;
    bool WorkerHasEnded(ThreadHandle thread) override;
    WorkerEnd HowWorkerEnded(ThreadHandle thread) override;
    std::uint32_t Milliseconds() override;
    void CloseWorker(ThreadHandle thread) override;
    void FreeComponent(ModuleHandle module) override;
};

}  // namespace kalvex
