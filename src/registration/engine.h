// In-process registration: loads a component, runs its own
// DllRegisterServer or DllUnregisterServer on a worker thread, waits at most
// 10000 ms and tells the user the outcome.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine_ui.h"
#include "module_api.h"

namespace kalvex {

constexpr std::uint32_t kWorkerWaitLimitMs = 10000;

// A handle the module calls hand out, given back through `Give` when it goes
// unless released first.
template <void (ModuleApi::*Give)(std::uintptr_t)>
class Owned {
public:
    Owned(ModuleApi& api, std::uintptr_t handle) : api_(&api), handle_(handle) {}
    Owned(Owned&& other) noexcept : api_(other.api_), handle_(other.release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            reset();
            api_ = other.api_;
            handle_ = other.release();
        }
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { reset(); }

    std::uintptr_t get() const { return handle_; }
    void reset() {
        if (handle_ != 0) (api_->*Give)(std::exchange(handle_, 0));
    }
    std::uintptr_t release() { return std::exchange(handle_, 0); }

private:
    ModuleApi* api_;
    std::uintptr_t handle_;
};

// A loaded component: freed when it goes; released, it stays loaded for good.
using LoadedModule = Owned<&ModuleApi::FreeComponent>;
// A worker thread's handle: closed when it goes.
using WorkerThread = Owned<&ModuleApi::CloseWorker>;

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
