// In-process registration: loads a component, runs its own
// DllRegisterServer or DllUnregisterServer on a worker thread, waits at most
// 10000 ms and says what happened.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine_ui.h"
#include "module_api.h"

namespace kalvex {

constexpr std::uint32_t kWorkerWaitLimitMs = 10000;

enum class RegistrationAction { Register, Unregister };

// What one registration came to.
struct RegistrationOutcome {
    enum class Kind {
        Completed,             // the entry point returned a success result
        Failed,                // it returned a failure result, or an exception ended it
        NoEntryPointOrThread,  // the component has no such entry point, or no worker could start
        LoadFailure,           // the file could not be loaded
        TimedOut,              // the wait ended (ran out or failed) before the worker did
    };
    Kind kind;
    // Failed: the entry point's result, or the code of the exception that
    // ended it.
    std::uint32_t code = 0;
};

// The message that tells the user the outcome.
std::string OutcomeMessage(const RegistrationOutcome& outcome);

// A handle the module calls hand out, given back through `Give` when it goes
// unless released first.
template <void (ModuleApi::*Give)(std::uintptr_t)>
class Owned {
public:
    Owned(ModuleApi& api, std::uintptr_t handle) : mApi(&api), mHandle(handle) {}
    Owned(Owned&& other) noexcept : mApi(other.mApi), mHandle(other.Release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            Reset();
            mApi = other.mApi;
            mHandle = other.Release();
        }
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { Reset(); }

    std::uintptr_t Get() const { return mHandle; }
    void Reset() {
        if (mHandle != 0) (mApi->*Give)(std::exchange(mHandle, 0));
    }
    std::uintptr_t Release() { return std::exchange(mHandle, 0); }

private:
    ModuleApi* mApi;
    std::uintptr_t mHandle;
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

    // Registers or unregisters the component; never raises. The hourglass
    // shows while its worker runs. One thread at a time runs inside a
    // component: a worker of an earlier call that still runs in the same
    // loaded module is waited for first, and the whole call waits at most
    // kWorkerWaitLimitMs.
    RegistrationOutcome RegisterServer(const std::string& path, RegistrationAction action);

    // Releases the thread handle and the component of every worker that
    // outlived its wait and has ended since. Workers still running keep both.
    void ReleaseFinishedWorkers();

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

    // What is left of the call's wait limit, counted from `start`.
    std::uint32_t TimeLeft(std::uint32_t start);
    // Waits, within what is left of the limit, for the workers of earlier
    // calls that still run in `module`, and releases them once ended. False
    // when one of them is still running.
    bool WaitForEarlierWorkers(ModuleHandle module, std::uint32_t start);

    // Sets the pointer; an error there changes nothing else.
    void SetPointer(int pointer);

    ModuleApi& mModules;
    EngineUi& mUi;
    std::vector<Lingering> mLingering;
};

}  // namespace kalvex
