#include "win32_modules.h"

#include <windows.h>

#include "window/win32_handles.h"

namespace kalvex {

namespace {

// A component's DllRegisterServer and DllUnregisterServer.
using SelfRegistration = HRESULT(STDAPICALLTYPE*)();

// The worker's start routine: calls the entry point and ends with its result.
//
// The entry point itself is not used as the start routine. On 32-bit x86 a
// start routine is `DWORD __stdcall (void*)`: the caller pushes the thread
// parameter and the routine removes it with `ret 4`. An entry point is
// `HRESULT __stdcall (void)` and returns with a plain `ret`, so started
// directly it would leave its caller's stack four bytes off. The thread start
// code of Windows and of Wine ends the thread right after the call and so
// appears to tolerate that, but neither documents it. This routine
// has the exact start-routine type; it makes the argumentless call itself,
// so both sides of both calls agree. On x86-64 there is one calling
// convention and the question does not arise; the same routine serves.
DWORD WINAPI RunEntryPoint(LPVOID entry) {
    return static_cast<DWORD>(reinterpret_cast<SelfRegistration>(reinterpret_cast<std::uintptr_t>(entry))());
}

HMODULE AsModule(ModuleHandle module) { return reinterpret_cast<HMODULE>(module); }
HANDLE AsHandle(ThreadHandle thread) { return reinterpret_cast<HANDLE>(thread); }

}  // namespace

ModuleHandle Win32Modules::LoadLibraryA(const std::string& path) {
    return reinterpret_cast<ModuleHandle>(::LoadLibraryA(path.c_str()));
}

EntryPoint Win32Modules::GetProcAddress(ModuleHandle module, const std::string& name) {
    return reinterpret_cast<EntryPoint>(ProcAddress<SelfRegistration>(AsModule(module), name.c_str()));
}

ThreadHandle Win32Modules::CreateThread(EntryPoint entry) {
    DWORD threadId = 0;
    return reinterpret_cast<ThreadHandle>(
        ::CreateThread(nullptr, 0, RunEntryPoint, reinterpret_cast<LPVOID>(entry), 0, &threadId));
}

std::uint32_t Win32Modules::WaitForSingleObject(ThreadHandle thread, std::uint32_t milliseconds) {
    return ::WaitForSingleObject(AsHandle(thread), milliseconds);
}

std::uint32_t Win32Modules::GetExitCodeThread(ThreadHandle thread) {
    DWORD code = 0;
    // An exit code that cannot be read counts as success.
    if (!::GetExitCodeThread(AsHandle(thread), &code)) return 0;
    return code;
}

void Win32Modules::CloseHandle(ThreadHandle thread) { ::CloseHandle(AsHandle(thread)); }

void Win32Modules::FreeLibrary(ModuleHandle module) { ::FreeLibrary(AsModule(module)); }

}  // namespace kalvex
