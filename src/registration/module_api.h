// The kernel calls of the in-process registration engine: load a component,
// find its entry point, run it on a worker thread and wait for it. The Win32
// adapter makes the real calls; the unit tests fake them.
#pragma once

#include <cstdint>
#include <string>

namespace kalvex {

// Opaque handles; 0 means "none" for each of them.
using ModuleHandle = std::uintptr_t;
using EntryPoint = std::uintptr_t;
using ThreadHandle = std::uintptr_t;

// Result of a wait that saw the thread end.
constexpr std::uint32_t kWaitObject0 = 0;
// Result of a wait whose limit passed first.
constexpr std::uint32_t kWaitTimeout = 0x102;

class ModuleApi {
public:
    virtual ~ModuleApi() = default;

    // LoadLibraryA; 0 when the file cannot be loaded.
    virtual ModuleHandle LoadLibraryA(const std::string& path) = 0;
    // GetProcAddress; 0 when the module has no such export.
    virtual EntryPoint GetProcAddress(ModuleHandle module, const std::string& name) = 0;
    // Starts a thread that does nothing but call the entry point (a function
    // without arguments that returns a 32-bit result) and ends with that
    // result as its exit code. 0 when no thread could be created.
    virtual ThreadHandle CreateThread(EntryPoint entry) = 0;
    // WaitForSingleObject on the thread: kWaitObject0 when it has ended.
    virtual std::uint32_t WaitForSingleObject(ThreadHandle thread, std::uint32_t milliseconds) = 0;
    // The exit code of a thread that has ended.
    virtual std::uint32_t GetExitCodeThread(ThreadHandle thread) = 0;
    virtual void CloseHandle(ThreadHandle thread) = 0;
    virtual void FreeLibrary(ModuleHandle module) = 0;
};

}  // namespace kalvex
