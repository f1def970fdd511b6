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

// A result with the high bit set reports a failure.
bool IsFailureResult(std::uint32_t result) { return (result & 0x80000000u) != 0; }

}  // namespace

RegistrationEngine::RegistrationEngine(ModuleApi& modules, Toolkit& toolkit) : modules_(modules), toolkit_(toolkit) {}

void RegistrationEngine::Show(const std::string& text) {
    try {
        toolkit_.MsgBox(text);
    } catch (const std::exception&) {
    }
}

void RegistrationEngine::SetPointer(int pointer) {
    try {
        toolkit_.SetMousePointer(pointer);
    } catch (const std::exception&) {
    }
}

void RegistrationEngine::RegisterServer(const std::string& fileSpec, const std::string& command,
                                        std::optional<std::int32_t>& apiResult) {
    // Workers left behind by earlier calls may have ended by now.
    ReleaseFinishedWorkers();

    const ModuleHandle module = modules_.LoadLibraryExA(fileSpec);
    if (module == 0) {
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
        modules_.FreeLibrary(module);
        return;
    }

    ThreadHandle thread = 0;
    const EntryPoint entry = modules_.GetProcAddress(module, entryName);
    if (entry != 0) {
        SetPointer(kPointerHourglass);
        thread = modules_.CreateThread(entry);
    }
    if (thread == 0) {
        // The pointer goes back to the default even when no entry point was
        // found and it never showed the hourglass.
        SetPointer(kPointerDefault);
        Show(kNoEntryOrThread);
        modules_.FreeLibrary(module);
        return;
    }

    apiResult = static_cast<std::int32_t>(modules_.WaitForSingleObject(thread, kWorkerWaitLimitMs));
    if (*apiResult != 0) {
        // The worker may still run inside the component: both stay until it
        // is seen to have ended.
        lingering_.push_back({thread, module});
        SetPointer(kPointerDefault);
        Show(kNotSignaled);
        return;
    }

    // The worker's exit code is the entry point's result, or the code of the
    // exception that ended it. After an exception the component's state is
    // unknown: it stays loaded for the program's life.
    const WorkerEnd end = modules_.GetExitCodeThread(thread);
    modules_.CloseHandle(thread);
    if (end.returned) modules_.FreeLibrary(module);
    SetPointer(kPointerDefault);
    Show(!end.returned || IsFailureResult(end.code) ? FailedWithCode(end.code) : std::string(kCompleted));
}

void RegistrationEngine::ReleaseFinishedWorkers() {
    for (auto it = lingering_.begin(); it != lingering_.end();) {
        if (modules_.WaitForSingleObject(it->thread, 0) == kWaitObject0) {
            const bool returned = modules_.GetExitCodeThread(it->thread).returned;
            modules_.CloseHandle(it->thread);
            if (returned) modules_.FreeLibrary(it->module);
            it = lingering_.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace kalvex
