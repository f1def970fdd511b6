// The kernel calls of the in-process registration engine: load a component,
// find its entry point, run it on a worker thread and wait for it. The Win32
// adapter makes the real calls; the unit tests fake them.
#pragma once

#include <cstdint>
#include <string>

#include "diagnosis/diagnosis_api.h"

namespace kalvex {

// Opaque handles; 0 means "none" for each of them.
using ModuleHandle = std::uintptr_t;
using EntryPoint = std::uintptr_t;
using ThreadHandle = std::uintptr_t;

// How a worker that has ended ended. The entry point may have returned and
// an exception may have ended the worker all the same, in COM's clean-up
// after it.
struct WorkerEnd {
    bool returned = false;     // the entry point returned
    std::uint32_t result = 0;  // its result; the thread's exit code when it did not return
    bool faulted = false;      // an exception ended the worker
    std::uint32_t exceptionCode = 0;
    // A delay-loaded import that was missing at the call, as the
    // exception's record names it: the module, and the function when the
    // module was there.
    std::string delayModule;
    std::string delayFunction;
};

class ModuleApi {
public:
    virtual ~ModuleApi() = default;

    // Loads the component from its full path; its own dependencies are
    // looked for in its folder first. A component already loaded is handed
    // out again, as the same module. 0 when the file cannot be loaded.
    virtual ModuleHandle LoadComponent(const std::string& path) = 0;
    // The system's error code of the last load that failed.
    virtual std::uint32_t LastLoadError() { return 0; }
    // What a failure is examined through; null where failures are told
    // without their causes.
    virtual DiagnosisApi* Diagnosis() { return nullptr; }
    // The component's export `name`; 0 when it has no such export.
    virtual EntryPoint FindEntryPoint(ModuleHandle module, const std::string& name) = 0;
    // Starts a worker thread that calls the entry point (a function without
    // arguments that returns a 32-bit result) with COM initialised. An
    // exception that leaves the entry point or COM's clean-up after it ends
    // the worker, not the program. 0 when no thread could be created.
    virtual ThreadHandle StartWorker(EntryPoint entry) = 0;
    // Waits at most `milliseconds` for the worker to end; true when it has.
    // Messages that other threads send to this thread's windows meanwhile
    // are answered; nothing else is taken from its queue.
    virtual bool WaitForWorker(ThreadHandle thread, std::uint32_t milliseconds) = 0;
    // Whether the worker has ended, asked without waiting.
    virtual bool WorkerHasEnded(ThreadHandle thread) = 0;
    // How a worker that has ended ended.
    virtual WorkerEnd HowWorkerEnded(ThreadHandle thread) = 0;
    // A clock in milliseconds, for a limit that spans several waits.
    virtual std::uint32_t Milliseconds() = 0;
    virtual void CloseWorker(ThreadHandle thread) = 0;
    virtual void FreeComponent(ModuleHandle module) = 0;
};

}  // namespace kalvex
