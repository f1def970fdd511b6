// In-process registration: loads a component, runs its own
// DllRegisterServer or DllUnregisterServer on a worker thread, waits at most
// 10000 ms and tells the user the outcome.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine_ui.h"
#include "module_api.h"

namespace kalvex {

constexpr std::uint32_t kWorkerWaitLimitMs = 10000;

// A loaded component: freed when it goes, unless kept loaded for good.
class LoadedModule {
public:
    LoadedModule(ModuleApi& api, ModuleHandle handle) : api_(&api), handle_(handle) {}
    LoadedModule(LoadedModule&& other) noexcept : api_(other.api_), handle_(other.Keep()) {}
    LoadedModule& operator=(LoadedModule&& other) noexcept;
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;
    ~LoadedModule() { Free(); }

    ModuleHandle get() const { return handle_; }
    void Free();
    // Leaves the component loaded for the program's life.
    ModuleHandle Keep();

private:
    ModuleApi* api_;
    ModuleHandle handle_;
};

// A worker thread's handle: closed when it goes.
class WorkerThread {
public:
    WorkerThread(ModuleApi& api, ThreadHandle handle) : api_(&api), handle_(handle) {}
    WorkerThread(WorkerThread&& other) noexcept : api_(other.api_), handle_(other.Release()) {}
    WorkerThread& operator=(WorkerThread&& other) noexcept;
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;
    ~WorkerThread() { Close(); }

    ThreadHandle get() const { return handle_; }
    void Close();
    ThreadHandle Release();

private:
    ModuleApi* api_;
    ThreadHandle handle_;
};

class RegistrationEngine {
public:
    RegistrationEngine(ModuleApi& modules, EngineUi& ui);
    RegistrationEngine(const RegistrationEngine&) = delete;
    RegistrationEngine& operator=(const RegistrationEngine&) = delete;
    // Workers still running keep their component and thread for good.
    ~RegistrationEngine();

    // Registers (command "") or unregisters ("U" or "u") the component.
    // Stores the wait's result in `apiResult` when the call gets that far.
    // Reports every outcome in a message box and never raises.
    void RegisterServer(const std::string& fileSpec, const std::string& command,
                        std::optional<std::int32_t>& apiResult);

    // Releases the thread handle and the component of every worker that
    // outlived its wait and has ended since. Workers still running keep both.
    void ReleaseFinishedWorkers();
    std::size_t LingeringWorkers() const { return lingering_.size(); }

private:
    // A worker that outlived its wait, with the component it may still run
    // in. The thread's handle is closed before the component is freed.
    struct Lingering {
        LoadedModule module;
        WorkerThread thread;
    };

    // Called once the worker has ended: closes its handle, frees its
    // component unless an exception ended it, and says how it ended.
    WorkerEnd Finish(WorkerThread& thread, LoadedModule& module);

    // UI calls whose errors the engine ignores: it carries on with the next
    // step.
    void Show(const std::string& text);
    void SetPointer(int pointer);

    ModuleApi& modules_;
    EngineUi& ui_;
    std::vector<Lingering> lingering_;
};

}  // namespace kalvex
