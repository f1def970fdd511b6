// The kernel calls of the registration engine, made for real. Windows only.
#pragma once

#include "module_api.h"

namespace kalvex {

class Win32Modules final : public ModuleApi {
public:
    ModuleHandle LoadComponent(const std::string& path) override;
    EntryPoint FindEntryPoint(ModuleHandle module, const std::string& name) override;
    ThreadHandle StartWorker(EntryPoint entry) override;
    std::uint32_t WaitForWorker(ThreadHandle thread, std::uint32_t milliseconds) override;
    WorkerEnd HowWorkerEnded(ThreadHandle thread) override;
    std::uint32_t Milliseconds() override;
    void CloseWorker(ThreadHandle thread) override;
    void FreeComponent(ModuleHandle module) override;
};

// True while this thread waits for a worker. Messages sent by other threads
// (a component's broadcast among them) are delivered then: the window
// answers them without running any handler of its own.
bool IsWaitingForWorker();

}  // namespace kalvex
