// In-process registration: loads a component, runs its own
// DllRegisterServer or DllUnregisterServer on a worker thread, waits at most
// 10000 ms and says what happened. Portable: the kernel calls are behind
// ModuleApi.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine_ui.h"
#include "module_api.h"
#include "shared/unique_handle.h"

namespace kalvex {

constexpr std::uint32_t kWorkerWaitLimitMs = 10000;

enum class RegistrationAction { Register, Unregister };

// Whose classes a registration writes.
enum class RegistrationScope {
    AllUsers,  // the machine's, as the component itself writes them
    ThisUser,  // the user's own: HKEY_CLASSES_ROOT stands for them while the component runs
};

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
    // A registration for all users failed for want of administrator rights,
    // which the process runs without: registering the component for this
    // user only needs none.
    bool refusedForRights = false;
};

// The message that tells the user the outcome: its first line, then, after
// an empty line, the explanation where there is one.
std::string OutcomeMessage(const RegistrationOutcome& outcome);
// The first line alone, as users have always known it.
std::string FirstLine(const RegistrationOutcome& outcome);
// The question that offers to do what was refused for want of rights for
// this user only: Yes does it.
std::string ThisUserOffer(const std::string& path, RegistrationAction action);

class RegistrationEngine {
public:
    RegistrationEngine(ModuleApi& modules, EngineUi& ui);
    RegistrationEngine(const RegistrationEngine&) = delete;
    RegistrationEngine& operator=(const RegistrationEngine&) = delete;
    // Releases what workers that have ended leave; workers still running
    // keep their component, and what they write into, for good.
    ~RegistrationEngine();

    // Registers or unregisters the component; never raises. It shows as
    // busy while it waits. One thread at a time runs inside a component: a
    // worker of an earlier call that still runs in the same loaded module
    // is waited for first, at most kWorkerWaitLimitMs, and the call's own
    // worker then gets kWorkerWaitLimitMs of its own. Workers of the two
    // scopes never run at the same time (the classes' mapping is the
    // process's): earlier workers of the other scope, in any component, are
    // waited for the same way. For this user, HKEY_CLASSES_ROOT is mapped
    // to the user's classes before the worker starts and back once it is
    // seen to have ended, at the latest at the next call.
    RegistrationOutcome RegisterServer(const std::string& path, RegistrationAction action,
                                       RegistrationScope scope = RegistrationScope::AllUsers);

private:
    // A loaded component, given back through the interface that loaded it.
    struct ModuleTraits {
        using Type = ModuleHandle;
        ModuleApi* api = nullptr;
        static Type None() { return 0; }
        void Close(Type module) const { api->FreeComponent(module); }
    };
    // A loaded component: freed when it goes; released, it stays for good.
    using LoadedModule = UniqueHandle<ModuleTraits>;

    // A worker that outlived its wait, with the component it may still run
    // in and whose classes it writes.
    struct Lingering {
        LoadedModule module;
        std::unique_ptr<Worker> worker;
        RegistrationScope scope;
    };

    // Called once the worker has ended: lets go of it, frees its component
    // unless an exception ended it, and says how it ended.
    WorkerEnd Finish(std::unique_ptr<Worker>& worker, LoadedModule& module);
    // Lets go of every worker that outlived its wait and has ended since,
    // and frees its component unless an exception ended it.
    void ReleaseFinishedWorkers();
    // Waits, at most kWorkerWaitLimitMs in all, for the workers of earlier
    // calls that still run in `module` or for the other scope, and releases
    // them once ended. False when one of them still runs.
    bool WaitForEarlierWorkers(ModuleHandle module, RegistrationScope scope);
    // The worker's part of a call, once the component is loaded and its
    // entry point found.
    RegistrationOutcome RunWorker(const std::string& path, LoadedModule& module, EntryPoint entry,
                                  RegistrationScope scope);
    // Maps HKEY_CLASSES_ROOT back to the machine's classes once no worker
    // for this user runs.
    void UnmapClassesWhenNoUserWorkerRuns();

    ModuleApi& mModules;
    EngineUi& mUi;
    std::vector<Lingering> mLingering;
    bool mClassesMapped = false;  // HKEY_CLASSES_ROOT stands for the user's classes
};

}  // namespace kalvex
