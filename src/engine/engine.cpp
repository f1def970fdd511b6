#include "engine.h"

#include <exception>

#include "shared/format.h"

namespace kalvex {

namespace {

constexpr char kRegisterEntry[] = "DllRegisterServer";
constexpr char kUnregisterEntry[] = "DllUnregisterServer";

// A result with the high bit set reports a failure; an exception that ended
// the worker is one whatever its code.
bool IsFailure(const WorkerEnd& end) { return !end.returned || (end.code & 0x80000000u) != 0; }

}  // namespace

std::string OutcomeMessage(const RegistrationOutcome& outcome) {
    using Kind = RegistrationOutcome::Kind;
    switch (outcome.kind) {
        case Kind::Completed: return "Process completed";
        case Kind::Failed: return "Process failed with error code " + Hex8(outcome.code) + ".";
        case Kind::NoEntryPointOrThread: return "Process failed in obtaining entry point or creating thread.";
        case Kind::LoadFailure: return "Failure loading control DLL";
        case Kind::TimedOut: break;
    }
    return "Process failed in signaled state or time-out.";
}

RegistrationEngine::RegistrationEngine(ModuleApi& modules, EngineUi& ui) : mModules(modules), mUi(ui) {}

RegistrationEngine::~RegistrationEngine() {
    ReleaseFinishedWorkers();
    for (Lingering& worker : mLingering) {
        worker.module.Release();
        worker.thread.Release();
    }
}

void RegistrationEngine::ShowBusy(bool busy) {
    try {
        mUi.ShowBusy(busy);
    } catch (const std::exception&) {
    }
}

WorkerEnd RegistrationEngine::Finish(WorkerThread& thread, LoadedModule& module) {
    // The worker's exit code is the entry point's result, or the code of the
    // exception that ended it. After an exception the component's state is
    // unknown: it stays loaded for the program's life.
    const WorkerEnd end = mModules.HowWorkerEnded(thread.Get());
    thread.Reset();
    if (end.returned) {
        module.Reset();
    } else {
        module.Release();
    }
    return end;
}

RegistrationOutcome RegistrationEngine::RegisterServer(const std::string& path, RegistrationAction action) {
    using Kind = RegistrationOutcome::Kind;
    // Workers left behind by earlier calls may have ended by now.
    ReleaseFinishedWorkers();

    LoadedModule module(mModules.LoadComponent(path), {&mModules});
    if (!module) return {Kind::LoadFailure};

    const EntryPoint entry = mModules.FindEntryPoint(
        module.Get(), action == RegistrationAction::Register ? kRegisterEntry : kUnregisterEntry);
    if (entry == 0) return {Kind::NoEntryPointOrThread};
    ShowBusy(true);
    const std::uint32_t start = mModules.Milliseconds();
    if (!WaitForEarlierWorkers(module.Get(), start)) {
        // The component is not entered while another thread may run in it.
        ShowBusy(false);
        return {Kind::TimedOut};
    }

    WorkerThread thread(mModules.StartWorker(entry), {&mModules});
    if (!thread) {
        ShowBusy(false);
        return {Kind::NoEntryPointOrThread};
    }
    if (!mModules.WaitForWorker(thread.Get(), TimeLeft(start))) {
        // The worker may still run inside the component: both stay until it
        // is seen to have ended.
        mLingering.push_back({std::move(module), std::move(thread)});
        ShowBusy(false);
        return {Kind::TimedOut};
    }

    const WorkerEnd end = Finish(thread, module);
    ShowBusy(false);
    return IsFailure(end) ? RegistrationOutcome{Kind::Failed, end.code} : RegistrationOutcome{Kind::Completed};
}

std::uint32_t RegistrationEngine::TimeLeft(std::uint32_t start) {
    const std::uint32_t elapsed = mModules.Milliseconds() - start;
    return elapsed < kWorkerWaitLimitMs ? kWorkerWaitLimitMs - elapsed : 0;
}

bool RegistrationEngine::WaitForEarlierWorkers(ModuleHandle module, std::uint32_t start) {
    for (auto it = mLingering.begin(); it != mLingering.end();) {
        if (it->module.Get() != module) {
            ++it;
            continue;
        }
        if (!mModules.WaitForWorker(it->thread.Get(), TimeLeft(start))) return false;
        Finish(it->thread, it->module);
        it = mLingering.erase(it);
    }
    return true;
}

void RegistrationEngine::ReleaseFinishedWorkers() {
    for (auto it = mLingering.begin(); it != mLingering.end();) {
        if (mModules.WorkerHasEnded(it->thread.Get())) {
            Finish(it->thread, it->module);
            it = mLingering.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace kalvex
