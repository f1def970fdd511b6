// In-process registration: loads a component, runs its own
// DllRegisterServer or DllUnregisterServer on a worker thread, waits at most
// 10000 ms and tells the user the outcome.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "module_api.h"
#include "window/toolkit.h"

namespace kalvex {

constexpr std::uint32_t kWorkerWaitLimitMs = 10000;

class RegistrationEngine {
public:
    RegistrationEngine(ModuleApi& modules, Toolkit& toolkit);

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
    struct Lingering {
        ThreadHandle thread;
        ModuleHandle module;
    };

    // Toolkit calls whose errors the engine ignores: it carries on with the
    // next step.
    void Show(const std::string& text);
    void SetPointer(int pointer);

    ModuleApi& modules_;
    Toolkit& toolkit_;
    std::vector<Lingering> lingering_;
};

}  // namespace kalvex
