#include "win32_shell.h"

#include <windows.h>

#include <shellapi.h>

#include "shared/basic_types.h"
#include "shared/win32_handles.h"

namespace kalvex {

std::uint32_t Win32Shell::IsUserAnAdmin() {
    // Taken by its ordinal, 680, and at run time: a Shell32 without it makes
    // this call fail, not the program's start.
    HMODULE shell32 = ::GetModuleHandleA("shell32.dll");
    if (shell32 == nullptr) shell32 = LoadSystemLibrary("shell32.dll");
    if (shell32 == nullptr) throw Error(SystemErrorText(::GetLastError()));
    auto isUserAnAdmin = ProcAddress<BOOL(WINAPI*)()>(shell32, MAKEINTRESOURCEA(680));
    if (isUserAnAdmin == nullptr) throw Error("Can't find DLL entry point #680 in shell32");
    return static_cast<std::uint32_t>(isUserAnAdmin());
}

void Win32Shell::ShellExecuteA(const std::string& operation, const std::string& file, const std::string& parameters,
                               int showCommand) {
    ::ShellExecuteA(nullptr, operation.c_str(), file.c_str(), parameters.c_str(), nullptr, showCommand);
}

}  // namespace kalvex
