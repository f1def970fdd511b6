// The kernel calls of the in-process registration engine: load a component,
// find its entry point, run it on a worker thread and wait for it. The Win32
// adapter makes the real calls; the unit tests fake them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "diagnosis/diagnosis_api.h"

namespace kalvex {

// A loaded component and the address of one of its exports, as numbers; 0
// means none.
using ModuleHandle = std::uintptr_t;
using EntryPoint = std::uintptr_t;

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

// A worker thread that calls a component's entry point. Going away gives
// back what the program holds of it; a thread that still runs then runs on,
// and what it writes into must stay: a worker that may still run is let go,
// never destroyed.
class Worker {
public:
    virtual ~Worker() = default;
    // Waits until the worker has ended or ModuleApi::Milliseconds has
    // reached `deadline`; true when it has ended. Messages that other
    // threads send to this thread's windows meanwhile are answered; nothing
    // else is taken from its queue.
    virtual bool WaitUntil(std::uint32_t deadline) = 0;
    // How it ended; asked only once a wait has seen it end.
    virtual WorkerEnd End() = 0;
};

class ModuleApi {
public:
    virtual ~ModuleApi() = default;

    // Loads the component from its full path; its own dependencies are
    // looked for in its folder first. A component already loaded is handed
    // out again, as the same module. 0 when the file cannot be loaded.
    virtual ModuleHandle LoadComponent(const std::string& path) = 0;
    // The system's error code of the last load that failed.
    virtual std::uint32_t LastLoadError() = 0;
    // What a failure is examined through; null where failures are told
    // without their causes.
    virtual DiagnosisApi* Diagnosis() = 0;
    // The component's export `name`; 0 when it has no such export.
    virtual EntryPoint FindEntryPoint(ModuleHandle module, const std::string& name) = 0;
    // Starts a worker thread that calls the entry point (a function without
    // arguments that returns a 32-bit result) with COM initialised. An
    // exception that leaves the entry point or COM's clean-up after it ends
    // the worker, not the program. Null when no thread could be created.
    virtual std::unique_ptr<Worker> StartWorker(EntryPoint entry) = 0;
    // The clock that waits are measured by, in milliseconds; it wraps.
    virtual std::uint32_t Milliseconds() = 0;
    virtual void FreeComponent(ModuleHandle module) = 0;
    // Maps the process's HKEY_CLASSES_ROOT to the user's own classes
    // (HKEY_CURRENT_USER\Software\Classes), type libraries included where the
    // system lets them follow; 0, or the system's error code when it could
    // not. UnmapClasses maps it back to the machine's.
    virtual std::uint32_t MapClassesToUser() = 0;
    virtual void UnmapClasses() = 0;
};

}  // namespace kalvex
