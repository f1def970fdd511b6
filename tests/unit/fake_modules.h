// A scripted kernel for the registration engine's tests.
#pragma once

#include <string>
#include <vector>

#include "registration/module_api.h"

namespace kalvex::testing {

class FakeModules : public ModuleApi {
public:
    ModuleHandle LoadLibrary(const std::string& path) override {
        calls.push_back("LoadLibrary " + path);
        return 0;
    }
    EntryPoint GetProcAddress(ModuleHandle, const std::string& name) override {
        calls.push_back("GetProcAddress " + name);
        return 0;
    }
    ThreadHandle CreateThread(EntryPoint) override {
        calls.push_back("CreateThread");
        return 0;
    }
    std::uint32_t WaitForSingleObject(ThreadHandle, std::uint32_t) override {
        calls.push_back("WaitForSingleObject");
        return kWaitObject0;
    }
    std::uint32_t GetExitCodeThread(ThreadHandle) override { return 0; }
    void CloseHandle(ThreadHandle) override { calls.push_back("CloseHandle"); }
    void FreeLibrary(ModuleHandle) override { calls.push_back("FreeLibrary"); }

    std::vector<std::string> calls;
};

}  // namespace kalvex::testing
