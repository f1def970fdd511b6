// The kernel calls of the registration engine, made for real. Windows only.
#pragma once

#include "module_api.h"

namespace kalvex {

class Win32Modules final : public ModuleApi {
public:
    ModuleHandle LoadLibraryExA(const std::string& path) override;
    EntryPoint GetProcAddress(ModuleHandle module, const std::string& name) override;
    ThreadHandle CreateThread(EntryPoint entry) override;
    std::uint32_t WaitForSingleObject(ThreadHandle thread, std::uint32_t milliseconds) override;
    WorkerEnd GetExitCodeThread(ThreadHandle thread) override;
    void CloseHandle(ThreadHandle thread) override;
    void FreeLibrary(ModuleHandle module) override;
};

}  // namespace kalvex
