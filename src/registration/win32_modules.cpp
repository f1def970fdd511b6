#include "win32_modules.h"

namespace kalvex {

ModuleHandle Win32Modules::LoadLibrary(const std::string&) { return 0; }
EntryPoint Win32Modules::GetProcAddress(ModuleHandle, const std::string&) { return 0; }
ThreadHandle Win32Modules::CreateThread(EntryPoint) { return 0; }
std::uint32_t Win32Modules::WaitForSingleObject(ThreadHandle, std::uint32_t) { return 0; }
std::uint32_t Win32Modules::GetExitCodeThread(ThreadHandle) { return 0; }
void Win32Modules::CloseHandle(ThreadHandle) {}
void Win32Modules::FreeLibrary(ModuleHandle) {}

}  // namespace kalvex
