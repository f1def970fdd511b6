#include "win32_shell.h"

#include <windows.h>

#include <shellapi.h>

#include "shared/error.h"
#include "shared/win32_handles.h"

namespace kalvex {

std::uint32_t Win32Shell::IsUserAnAdmin() {
    // The shell library is loaded from the system folder when a numbered
    // button first needs it, not at the program's start. Exported by its
    // ordinal, 680, alone: a Shell32 without it makes this call fail.
    static const auto isUserAnAdmin = SystemProcAddress<BOOL(WINAPI*)()>("shell32.dll", MAKEINTRESOURCEA(680));
    if (isUserAnAdmin == nullptr) throw Error("The system's shell32.dll has no IsUserAnAdmin (its export #680).");
    return static_cast<std::uint32_t>(isUserAnAdmin());
}

void Win32Shell::Launch(const std::string& operation, const std::string& file, const std::string& parameters,
                        int showCommand) {
    static const auto shellExecute = SystemProcAddress<decltype(&::ShellExecuteW)>("shell32.dll", "ShellExecuteW");
    if (shellExecute == nullptr) throw Error("The system's shell32.dll has no ShellExecuteW.");
    shellExecute(nullptr, W(Wide(operation)), W(Wide(file)), W(Wide(parameters)), nullptr, showCommand);
}

}  // namespace kalvex
