// Kalvex: registers and unregisters ActiveX components.
#include <windows.h>

#include "probes/win32_system.h"
#include "registration/win32_modules.h"
#include "registration/win32_shell.h"
#include "versioninfo/win32_version.h"
#include "window/frmKalvex.h"
#include "window/win32_files.h"
#include "window/win32_window.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPSTR /*lpCmdLine*/, int nShowCmd) {
    // A drive without a medium must answer "not there", not ask the user.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    kalvex::Win32System system;
    kalvex::Win32Files files;
    kalvex::Win32Shell shell;
    kalvex::Win32Modules modules;
    kalvex::Win32Version version;
    kalvex::Win32Window window(hInstance);
    if (!window.Create()) {
        ::MessageBoxA(nullptr, "The main window could not be created.", kalvex::kTitle, MB_OK);
        return 1;
    }
    kalvex::frmKalvex form({window.controls(), window.toolkit(), files, system, shell, modules, version});
    window.Attach(&form);
    form.Form_Load();
    window.Show(nShowCmd);
    return window.Run();
}

// The run-time library's default handler for an uncaught exception prints
// the demangled type name, which pulls a demangler into the program. Every
// error is caught before it could get there, so the program ends plainly.
namespace __gnu_cxx {
void __verbose_terminate_handler() { ::ExitProcess(3); }
}  // namespace __gnu_cxx
