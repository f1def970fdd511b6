#include "engine.h"

#include <exception>

#include "diagnosis/diagnosis.h"
#include "shared/format.h"
#include "shared/text.h"

namespace kalvex {

namespace {

constexpr char kRegisterEntry[] = "DllRegisterServer";
constexpr char kUnregisterEntry[] = "DllUnregisterServer";
constexpr char kFaultAfterReturn[] =
    "The component's entry point returned, then the component faulted while COM was shut down after it. What it "
    "registered may be incomplete; the component stays loaded until Kalvex ends.";

constexpr char kNoUserClasses[] =
    "Your own part of the registry (HKEY_CURRENT_USER\\Software\\Classes) could not be opened in place of the "
    "machine's, so the component was not run.";

// The result that stands for a system error code, as COM writes it.
std::uint32_t HresultFromSystemError(std::uint32_t error) { return 0x80070000u | (error & 0xFFFFu); }

// The explanation of an outcome for this user only: what was done for whom,
// then why it failed, where it did.
std::string ThisUserWords(const RegistrationOutcome& outcome, RegistrationAction action) {
    const bool registers = action == RegistrationAction::Register;
    std::string words;
    if (outcome.kind == RegistrationOutcome::Kind::Completed) {
        words = registers ? "Registered for this user only." : "Unregistered for this user only.";
    } else {
        words = registers ? "Registering for this user only did not complete."
                          : "Unregistering for this user only did not complete.";
    }
    return outcome.explanation.empty() ? words : words + kNewLine + outcome.explanation;
}

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
    return outcome.explanation.empty() ? first : first + kNewLine + kNewLine + outcome.explanation;
}

std::string ThisUserOffer(const std::string& path, RegistrationAction action) {
    const std::string file = FileNameOf(path);
    if (action == RegistrationAction::Register) {
        return "Register " + file +
               " for this user only? The programs you run will find it; programs run as administrator and other "
               "users will not.";
    }
    return "Unregister " + file + " for this user only? This removes what registering it for this user wrote.";
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
    // The classes stay mapped only for a worker for this user that still runs.
    ReleaseFinishedWorkers();
    for (Lingering& lingering : mLingering) {
        lingering.module.Release();
        static_cast<void>(lingering.worker.release());
    }
}

WorkerEnd RegistrationEngine::Finish(std::unique_ptr<Worker>& worker, LoadedModule& module) {
    // Unless the entry point returned and nothing faulted, the component's
    // state is unknown: it stays loaded for the program's life.
    WorkerEnd end = worker->End();
    worker.reset();
    if (end.returned && !end.faulted) {
        module.Reset();
    } else {
        module.Release();
    }
    return end;
}

RegistrationOutcome RegistrationEngine::RegisterServer(const std::string& path, RegistrationAction action,
                                                       RegistrationScope scope) {
    using Kind = RegistrationOutcome::Kind;
    // Workers left behind by earlier calls may have ended by now.
    ReleaseFinishedWorkers();

    LoadedModule module(mModules.LoadComponent(path), {&mModules});
    RegistrationOutcome outcome{Kind::LoadFailure};
    const char* const entryName = action == RegistrationAction::Register ? kRegisterEntry : kUnregisterEntry;
    if (!module) {
        const std::uint32_t error = mModules.LastLoadError();
        outcome = Explained(outcome, mModules.Diagnosis(), [&](DiagnosisApi& diagnosis) {
            return ExplainLoadFailure(diagnosis, path, error, entryName);
        });
    } else if (const EntryPoint entry = mModules.FindEntryPoint(module.Get(), entryName); entry == 0) {
        outcome = Explained({Kind::NoEntryPointOrThread}, mModules.Diagnosis(),
                            [&](DiagnosisApi& diagnosis) { return ExplainMissingEntry(diagnosis, path, entryName); });
    } else {
        outcome = RunWorker(path, module, entry, scope);
    }
    if (scope == RegistrationScope::ThisUser) outcome.explanation = ThisUserWords(outcome, action);
    return outcome;
}

RegistrationOutcome RegistrationEngine::RunWorker(const std::string& path, LoadedModule& module, EntryPoint entry,
                                                  RegistrationScope scope) {
    using Kind = RegistrationOutcome::Kind;
    // Room for this call's worker, should it outlive its wait, is made before
    // it starts: keeping it then cannot fail.
    mLingering.reserve(mLingering.size() + 1);
    mUi.ShowBusy(true);
    if (!WaitForEarlierWorkers(module.Get(), scope)) {
        // The component is not entered while another thread may run in it,
        // nor while one runs that writes the other scope's classes.
        mUi.ShowBusy(false);
        return {Kind::TimedOut};
    }
    if (scope == RegistrationScope::ThisUser && !mClassesMapped) {
        const std::uint32_t error = mModules.MapClassesToUser();
        if (error != 0) {
            mUi.ShowBusy(false);
            return {Kind::Failed, HresultFromSystemError(error), false, kNoUserClasses};
        }
        mClassesMapped = true;
    }

    // The worker's own wait starts with it, whatever the earlier ones took.
    std::unique_ptr<Worker> worker = mModules.StartWorker(entry);
    if (!worker) {
        UnmapClassesWhenNoUserWorkerRuns();
        mUi.ShowBusy(false);
        return {Kind::NoEntryPointOrThread};
    }
    if (!worker->WaitUntil(mModules.Milliseconds() + kWorkerWaitLimitMs)) {
        // The worker may still run inside the component: both stay, and the
        // classes stay mapped for it, until it is seen to have ended.
        mLingering.push_back({std::move(module), std::move(worker), scope});
        mUi.ShowBusy(false);
        return {Kind::TimedOut};
    }

    const WorkerEnd end = Finish(worker, module);
    UnmapClassesWhenNoUserWorkerRuns();
    RegistrationOutcome outcome = OutcomeOf(end);
    if (outcome.kind == Kind::Failed && !outcome.faultedAfterReturn) {
        outcome = Explained(std::move(outcome), mModules.Diagnosis(), [&](DiagnosisApi& diagnosis) {
            if (!end.faulted) return ExplainFailedCall(diagnosis, path, end.result);
            return ExplainException(diagnosis, path, end.exceptionCode, end.delayModule, end.delayFunction);
        });
        DiagnosisApi* const diagnosis = mModules.Diagnosis();
        outcome.refusedForRights = scope == RegistrationScope::AllUsers && !end.faulted &&
                                   IsAccessRefusal(end.result) && diagnosis != nullptr && !diagnosis->Elevated();
    }
    mUi.ShowBusy(false);
    return outcome;
}

void RegistrationEngine::UnmapClassesWhenNoUserWorkerRuns() {
    if (!mClassesMapped) return;
    for (const Lingering& worker : mLingering) {
        if (worker.scope == RegistrationScope::ThisUser) return;
    }
    mModules.UnmapClasses();
    mClassesMapped = false;
}

bool RegistrationEngine::WaitForEarlierWorkers(ModuleHandle module, RegistrationScope scope) {
    const std::uint32_t deadline = mModules.Milliseconds() + kWorkerWaitLimitMs;
    for (auto it = mLingering.begin(); it != mLingering.end();) {
        if (it->module.Get() != module && it->scope == scope) {
            ++it;
            continue;
        }
        if (!it->worker->WaitUntil(deadline)) return false;
        Finish(it->worker, it->module);
        it = mLingering.erase(it);
        UnmapClassesWhenNoUserWorkerRuns();
    }
    return true;
}

void RegistrationEngine::ReleaseFinishedWorkers() {
    const std::uint32_t now = mModules.Milliseconds();
    for (auto it = mLingering.begin(); it != mLingering.end();) {
        if (it->worker->WaitUntil(now)) {
            Finish(it->worker, it->module);
            it = mLingering.erase(it);
        } else {
            ++it;
        }
    }
    UnmapClassesWhenNoUserWorkerRuns();
}

}  // namespace kalvex
