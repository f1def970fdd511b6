#include "win32_shell.h"

#include <windows.h>

#include <shellapi.h>

#include "shared/basic_types.h"
#include "shared/win32_handles.h"

namespace kalvex {

namespace {

// The shell library, loaded from the system folder on first use and kept:
// only the numbered buttons need it, so the program's start does not pay for
// it and what it loads.
HMODULE Shell32() {
    static const HMODULE shell32 = LoadSystemLibrary("shell32.dll");
    if (shell32 == nullptr) throw Error(SystemErrorText(ERROR_MOD_NOT_FOUND));
    return shell32;
}

}  // namespace

std::uint32_t Win32Shell::IsUserAnAdmin() {
    // Exported by its ordinal, 680, alone: a Shell32 without it makes this
    // call fail, not the program's start.
    auto isUserAnAdmin = ProcAddress<BOOL(WINAPI*)()>(Shell32(), MAKEINTRESOURCEA(680));
    if (isUserAnAdmin == nullptr) throw Error("Can't find DLL entry point #680 in shell32");
    return static_cast<std::uint32_t>(isUserAnAdmin());
}

void Win32Shell::ShellExecuteA(const std::string& operation, const std::string& file, const std::string& parameters,
                               int showCommand) {
    auto shellExecute = ProcAddress<decltype(&::ShellExecuteA)>(Shell32(), "ShellExecuteA");
    if (shellExecute == nullptr) throw Error("Can't find DLL entry point ShellExecuteA in shell32");
    shellExecute(nullptr, operation.c_str(), file.c_str(), parameters.c_str(), nullptr, showCommand);
}

}  // namespace kalvex
