// A scripted kernel for the registration engine's tests. Every call is
// written to `journal` with the handles it got, e.g. "FreeLibrary 101".
// Modules are numbered from 101 and threads from 1 in the order made; an
// entry point's value tells its module (module * 16 + 1 or + 2).
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "registration/module_api.h"

namespace kalvex::testing {

class FakeModules : public ModuleApi {
public:
    ModuleHandle LoadLibraryA(const std::string& path) override {
        Log("LoadLibrary " + path);
        if (unloadable.count(path) != 0) return 0;
        const ModuleHandle module = nextModule++;
        ++loadCount[module];
        return module;
    }
    EntryPoint GetProcAddress(ModuleHandle module, const std::string& name) override {
        Log("GetProcAddress " + std::to_string(module) + " " + name);
        if (exports.count(name) == 0) return 0;
        return module * 16 + (name == "DllRegisterServer" ? 1 : 2);
    }
    ThreadHandle CreateThread(EntryPoint entry) override {
        Log("CreateThread " + std::to_string(entry));
        if (threadFails) return 0;
        const ThreadHandle thread = nextThread++;
        threadModule[thread] = entry / 16;
        if (waitResult != kWaitObject0) running.insert(thread);
        return thread;
    }
    std::uint32_t WaitForSingleObject(ThreadHandle thread, std::uint32_t milliseconds) override {
        Log("WaitForSingleObject " + std::to_string(thread) + " " + std::to_string(milliseconds));
        if (running.count(thread) == 0) return kWaitObject0;
        return milliseconds == 0 ? kWaitTimeout : waitResult;
    }
    std::uint32_t GetExitCodeThread(ThreadHandle thread) override {
        Log("GetExitCodeThread " + std::to_string(thread));
        return exitCode;
    }
    void CloseHandle(ThreadHandle thread) override {
        Log("CloseHandle " + std::to_string(thread));
        closed.insert(thread);
    }
    void FreeLibrary(ModuleHandle module) override {
        Log("FreeLibrary " + std::to_string(module));
        --loadCount[module];
        for (ThreadHandle thread : running) {
            if (threadModule[thread] == module) ++freedUnderRunningWorker;
        }
    }

    // The worker ends: from now on waits on it see it signaled.
    void EndWorker(ThreadHandle thread) { running.erase(thread); }
    // Modules loaded and not yet freed.
    int StillLoaded() const {
        int count = 0;
        for (const auto& entry : loadCount) count += entry.second;
        return count;
    }
    void Log(const std::string& call) { journal.push_back(call); }

    // Script.
    std::set<std::string> unloadable;  // paths that fail to load
    std::set<std::string> exports = {"DllRegisterServer", "DllUnregisterServer"};
    bool threadFails = false;
    // Result of a wait with a limit on a new worker; a worker for which it is
    // not kWaitObject0 keeps running until EndWorker.
    std::uint32_t waitResult = kWaitObject0;
    std::uint32_t exitCode = 0;

    // Record.
    std::vector<std::string> journal;
    std::map<ModuleHandle, int> loadCount;
    std::set<ThreadHandle> running;
    std::set<ThreadHandle> closed;
    int freedUnderRunningWorker = 0;

private:
    ModuleHandle nextModule = 101;
    ThreadHandle nextThread = 1;
    std::map<ThreadHandle, ModuleHandle> threadModule;
};

}  // namespace kalvex::testing
