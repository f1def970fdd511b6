#include "engine.h"

#include <exception>

namespace kalvex {

namespace {

constexpr char kLoadFailed[] = "Failure loading control DLL";
constexpr char kUnknownCommand[] = "Unknown command handle";
constexpr char kNoEntryOrThread[] = "Process failed in obtaining entry point or creating thread.";
constexpr char kNotSignaled[] = "Process failed in signaled state or time-out.";
constexpr char kCompleted[] = "Process completed";

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

RegistrationEngine::RegistrationEngine(ModuleApi& modules, EngineUi& ui) : modules_(modules), ui_(ui) {}

RegistrationEngine::~RegistrationEngine() {
    ReleaseFinishedWorkers();
    for (Lingering& worker : lingering_) {
        worker.module.release();
        worker.thread.release();
    }
}

void RegistrationEngine::Show(const std::string& text) {
    try {
        ui_.MsgBox(text);
    } catch (const std::exception&) {
    }
}

void RegistrationEngine::SetPointer(int pointer) {
    try {
        ui_.SetMousePointer(pointer);
    } catch (const std::exception&) {
    }
}

WorkerEnd RegistrationEngine::Finish(WorkerThread& thread, LoadedModule& module) {
    // The worker's exit code is the entry point's result, or the code of the
    // exception that ended it. After an exception the component's state is
    // unknown: it stays loaded for the program's life.
    const WorkerEnd end = modules_.HowWorkerEnded(thread.get());
    thread.reset();
    if (end.returned) {
        module.reset();
    } else {
        module.release();
    }
    return end;
}

void RegistrationEngine::RegisterServer(const std::string& fileSpec, const std::string& command,
                                        std::optional<std::int32_t>& apiResult) {
    // Workers left behind by earlier calls may have ended by now.
    ReleaseFinishedWorkers();

    LoadedModule module(modules_, modules_.LoadComponent(fileSpec));
    if (module.get() == 0) {
        Show(kLoadFailed);
        return;
    }

    const char* entryName = nullptr;
    if (command.empty()) {
        entryName = kRegisterEntry;
    } else if (command == "U" || command == "u") {
        entryName = kUnregisterEntry;
    } else {
        Show(kUnknownCommand);
        return;  // the component is freed after the message
    }

    WorkerThread thread(modules_, 0);
    const EntryPoint entry = modules_.FindEntryPoint(module.get(), entryName);
    if (entry != 0) {
        SetPointer(kPointerHourglass);
        thread = WorkerThread(modules_, modules_.StartWorker(entry));
    }
    if (thread.get() == 0) {
        // The pointer goes back to the default even when no entry point was
        // found and it never showed the hourglass.
        SetPointer(kPointerDefault);
        Show(kNoEntryOrThread);
        return;  // the component is freed after the message
    }

    apiResult = static_cast<std::int32_t>(modules_.WaitForWorker(thread.get(), kWorkerWaitLimitMs));
    if (*apiResult != 0) {
        // The worker may still run inside the component: both stay until it
        // is seen to have ended.
        lingering_.push_back({std::move(module), std::move(thread)});
        SetPointer(kPointerDefault);
        Show(kNotSignaled);
        return;
    }

    const WorkerEnd end = Finish(thread, module);
    SetPointer(kPointerDefault);
    Show(IsFailure(end) ? FailedWithCode(end.code) : std::string(kCompleted));
}

void RegistrationEngine::ReleaseFinishedWorkers() {
    for (auto it = lingering_.begin(); it != lingering_.end();) {
        if (modules_.WaitForWorker(it->thread.get(), 0) == kWaitObject0) {
            Finish(it->thread, it->module);
            it = lingering_.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace kalvex
