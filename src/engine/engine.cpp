#include "engine.h"

#include <exception>

#include "diagnosis/diagnosis.h"
#include "shared/format.h"

namespace kalvex {

namespace {

constexpr char kRegisterEntry[] = "DllRegisterServer";
constexpr char kUnregisterEntry[] = "DllUnregisterServer";
constexpr char kFaultAfterReturn[] =
    "The component's entry point returned, then the component faulted while COM was shut down after it. What it "
    "registered may be incomplete; the component stays loaded until Kalvex ends.";

// A result with the high bit set reports a failure.
bool IsFailure(std::uint32_t result) { return (result & 0x80000000u) != 0; }

RegistrationOutcome OutcomeOf(const WorkerEnd& end) {
    using Kind = RegistrationOutcome::Kind;
    if (end.faulted) {
        RegistrationOutcome outcome{Kind::Failed, end.exceptionCode, end.returned};
        if (end.returned) outcome.explanation = kFaultAfterReturn;
        return outcome;
    }
    // A worker that ended before its entry point returned (the component
    // ended the thread itself) failed, whatever its exit code says.
    if (!end.returned || IsFailure(end.result)) return {Kind::Failed, end.result};
    return {Kind::Completed};
}

// The outcome with what `explain` finds through the diagnosis, where there
// is one. Asked only after a failure: a success costs nothing. Should the
// diagnosis itself fail, the outcome goes without.
template <typename Explain>
RegistrationOutcome Explained(RegistrationOutcome outcome, DiagnosisApi* diagnosis, Explain&& explain) {
    if (diagnosis == nullptr) return outcome;
    try {
        outcome.explanation = explain(*diagnosis);
    } catch (const std::exception&) {
    }
    return outcome;
}

}  // namespace

std::string OutcomeMessage(const RegistrationOutcome& outcome) {
    const std::string first = FirstLine(outcome);
    return outcome.explanation.empty() ? first : first + "\r\n\r\n" + outcome.explanation;
}

std::string FirstLine(const RegistrationOutcome& outcome) {
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
    // Unless the entry point returned and nothing faulted, the component's
    // state is unknown: it stays loaded for the program's life.
    WorkerEnd end = mModules.HowWorkerEnded(thread.Get());
    thread.Reset();
    if (end.returned && !end.faulted) {
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
    if (!module) {
        const std::uint32_t error = mModules.LastLoadError();
        return Explained({Kind::LoadFailure}, mModules.Diagnosis(),
                         [&](DiagnosisApi& diagnosis) { return ExplainLoadFailure(diagnosis, path, error); });
    }

    const char* const entryName = action == RegistrationAction::Register ? kRegisterEntry : kUnregisterEntry;
    const EntryPoint entry = mModules.FindEntryPoint(module.Get(), entryName);
    if (entry == 0) {
        return Explained({Kind::NoEntryPointOrThread}, mModules.Diagnosis(),
                         [&](DiagnosisApi& diagnosis) { return ExplainMissingEntry(diagnosis, path, entryName); });
    }
    // Room for this call's worker, should it outlive its wait, is made before
    // it starts: keeping it then cannot fail.
    mLingering.reserve(mLingering.size() + 1);
    ShowBusy(true);
    if (!WaitForEarlierWorkers(module.Get())) {
        // The component is not entered while another thread may run in it.
        ShowBusy(false);
        return {Kind::TimedOut};
    }

    // The worker's own wait starts with it, whatever the earlier ones took.
    WorkerThread thread(mModules.StartWorker(entry), {&mModules});
    if (!thread) {
        ShowBusy(false);
        return {Kind::NoEntryPointOrThread};
    }
    if (!mModules.WaitForWorker(thread.Get(), kWorkerWaitLimitMs)) {
        // The worker may still run inside the component: both stay until it
        // is seen to have ended.
        mLingering.push_back({std::move(module), std::move(thread)});
        ShowBusy(false);
        return {Kind::TimedOut};
    }

    const WorkerEnd end = Finish(thread, module);
    RegistrationOutcome outcome = OutcomeOf(end);
    if (outcome.kind == Kind::Failed && !outcome.faultedAfterReturn) {
        outcome = Explained(std::move(outcome), mModules.Diagnosis(), [&](DiagnosisApi& diagnosis) {
            if (!end.faulted) return ExplainFailedCall(diagnosis, path, end.result);
            return ExplainException(diagnosis, path, end.exceptionCode, end.delayModule, end.delayFunction);
        });
    }
    ShowBusy(false);
    return outcome;
}

bool RegistrationEngine::WaitForEarlierWorkers(ModuleHandle module) {
    const std::uint32_t start = mModules.Milliseconds();
    for (auto it = mLingering.begin(); it != mLingering.end();) {
        if (it->module.Get() != module) {
            ++it;
            continue;
        }
        const std::uint32_t elapsed = mModules.Milliseconds() - start;
        const std::uint32_t left = elapsed < kWorkerWaitLimitMs ? kWorkerWaitLimitMs - elapsed : 0;
        if (!mModules.WaitForWorker(it->thread.Get(), left)) return false;
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
