// Kalvex: registers and unregisters ActiveX components.
#include <windows.h>

#include "probes/win32_system.h"
#include "window/frmKalvex.h"
#include "window/win32_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    // A drive without a medium must answer "not there", not ask the user.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    kalvex::Win32System system;
    kalvex::Win32Window window(instance);
    if (!window.Create()) {
        ::MessageBoxA(nullptr, "The main window could not be created.", kalvex::kTitle, MB_OK);
        return 1;
    }
    kalvex::frmKalvex form({window, window, system});
    window.Attach(&form);
    form.Form_Load();
    window.Show(showCommand);
    return window.Run();
}

// The run-time library's default handler for an uncaught exception prints
// the demangled type name, which pulls a demangler into the program. Every
// error is caught before it could get there, so the program ends plainly.
namespace __gnu_cxx {
void __verbose_terminate_handler() { ::ExitProcess(3); }
}  // namespace __gnu_cxx
