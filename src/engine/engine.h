// In-process registration: loads a component, runs its own
// DllRegisterServer or DllUnregisterServer on a worker thread, waits at most
// 10000 ms and says what happened. Portable: the kernel calls are behind
// ModuleApi.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine_ui.h"
#include "module_api.h"
#include "shared/unique_handle.h"

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
        TimedOut,              // the limit passed before the worker (or an earlier one inside it) ended
    };
    Kind kind;
    // Failed: the entry point's result, or the code of the exception that
    // ended it.
    std::uint32_t code = 0;
    // Failed by an exception in COM's clean-up after the entry point had
    // returned.
    bool faultedAfterReturn = false;
    // What follows the first line of the message: why, and what to do.
    std::string explanation{};
};

// The message that tells the user the outcome: its first line, then, after
// an empty line, the explanation where there is one.
std::string OutcomeMessage(const RegistrationOutcome& outcome);
// The first line alone, as users have always known it.
std::string FirstLine(const RegistrationOutcome& outcome);

class RegistrationEngine {
public:
    RegistrationEngine(ModuleApi& modules, EngineUi& ui);
    RegistrationEngine(const RegistrationEngine&) = delete;
    RegistrationEngine& operator=(const RegistrationEngine&) = delete;
    // Releases what workers that have ended leave; workers still running
    // keep their component and thread for good.
    ~RegistrationEngine();

    // Registers or unregisters the component; never raises. It shows as
    // busy while it waits. One thread at a time runs inside a component: a
    // worker of an earlier call that still runs in the same loaded module
    // is waited for first, at most kWorkerWaitLimitMs, and the call's own
    // worker then gets kWorkerWaitLimitMs of its own.
    RegistrationOutcome RegisterServer(const std::string& path, RegistrationAction action);

private:
    // What a loaded component and a worker's thread are given back through.
    struct ModuleTraits {
        using Type = ModuleHandle;
        ModuleApi* api = nullptr;
        static Type None() { return 0; }
        void Close(Type module) const { api->FreeComponent(module); }
    };
    struct ThreadTraits {
        using Type = ThreadHandle;
        ModuleApi* api = nullptr;
        static Type None() { return 0; }
        void Close(Type thread) const { api->CloseWorker(thread); }
    };
    // A loaded component: freed when it goes; released, it stays for good.
    using LoadedModule = UniqueHandle<ModuleTraits>;
    // A worker thread's handle: closed when it goes.
    using WorkerThread = UniqueHandle<ThreadTraits>;

    // A worker that outlived its wait, with the component it may still run
    // in. The thread's handle is closed before the component is freed.
    struct Lingering {
        LoadedModule module;
        WorkerThread thread;
    };

    // Called once the worker has ended: closes its handle, frees its
    // component unless an exception ended it, and says how it ended.
    WorkerEnd Finish(WorkerThread& thread, LoadedModule& module);
    // Releases the thread handle and the component of every worker that
    // outlived its wait and has ended since.
    void ReleaseFinishedWorkers();
    // Waits, at most kWorkerWaitLimitMs in all, for the workers of earlier
    // calls that still run in `module`, and releases them once ended. False
    // when one of them still runs.
    bool WaitForEarlierWorkers(ModuleHandle module);
    // Shows busy or not; an error there changes nothing else.
    void ShowBusy(bool busy);

    ModuleApi& mModules;
    EngineUi& mUi;
    std::vector<Lingering> mLingering;
};

}  // namespace kalvex
