#include "engine.h"

#include <exception>

namespace kalvex {

namespace {

constexpr char kRegisterEntry[] = "DllRegisterServer";
constexpr char kUnregisterEntry[] = "DllUnregisterServer";

// "Process failed with error code 0x80070005.": the code as eight upper-case
// hex digits, written out by hand to keep the program small.
std::string FailedWithCode(std::uint32_t code) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text = "Process failed with error code 0x00000000.";
    const std::size_t last = text.size() - 2;
    for (int i = 0; i < 8; ++i, code >>= 4) text[last - i] = kDigits[code & 0xF];
    return text;
}

// A result with the high bit set reports a failure; an exception that ended
// the worker is one whatever its code.
bool IsFailure(const WorkerEnd& end) { return !end.returned || (end.code & 0x80000000u) != 0; }

}  // namespace

std::string OutcomeMessage(const RegistrationOutcome& outcome) {
    using Kind = RegistrationOutcome::Kind;
    switch (outcome.kind) {
        case Kind::Completed: return "Process completed";
        case Kind::Failed: return FailedWithCode(outcome.code);
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

void RegistrationEngine::SetPointer(int pointer) {
    try {
        mUi.SetMousePointer(pointer);
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

    LoadedModule module(mModules, mModules.LoadComponent(path));
    if (module.Get() == 0) return {Kind::LoadFailure};

    const EntryPoint entry = mModules.FindEntryPoint(
        module.Get(), action == RegistrationAction::Register ? kRegisterEntry : kUnregisterEntry);
    // The pointer goes back to the default on every path from here, also
    // when no entry point was found and it never showed the hourglass.
    if (entry == 0) {
        SetPointer(kPointerDefault);
        return {Kind::NoEntryPointOrThread};
    }
    SetPointer(kPointerHourglass);
    const std::uint32_t start = mModules.Milliseconds();
    if (!WaitForEarlierWorkers(module.Get(), start)) {
        // The component is not entered while another thread may run in it.
        SetPointer(kPointerDefault);
        return {Kind::TimedOut};
    }

    WorkerThread thread(mModules, mModules.StartWorker(entry));
    if (thread.Get() == 0) {
        SetPointer(kPointerDefault);
        return {Kind::NoEntryPointOrThread};
    }
    if (mModules.WaitForWorker(thread.Get(), TimeLeft(start)) != kWaitObject0) {
        // The worker may still run inside the component: both stay until it
        // is seen to have ended.
        mLingering.push_back({std::move(module), std::move(thread)});
        SetPointer(kPointerDefault);
        return {Kind::TimedOut};
    }

    const WorkerEnd end = Finish(thread, module);
    SetPointer(kPointerDefault);
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
        if (mModules.WaitForWorker(it->thread.Get(), TimeLeft(start)) != kWaitObject0) return false;
        Finish(it->thread, it->module);
        it = mLingering.erase(it);
    }
    return true;
}

void RegistrationEngine::ReleaseFinishedWorkers() {
    for (auto it = mLingering.begin(); it != mLingering.end();) {
        if (mModules.WaitForWorker(it->thread.Get(), 0) == kWaitObject0) {
            Finish(it->thread, it->module);
            it = mLingering.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace kalvex
