// Kalvex: registers and unregisters ActiveX components.
#include <windows.h>

#include "window/win32_program.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPSTR /*lpCmdLine*/, int nShowCmd) {
    kalvex::Win32Program program(hInstance);
    if (!program.Start(nShowCmd)) {
        ::MessageBoxW(nullptr, L"The main window could not be created.", L"Kalvex", MB_OK);
        return 1;
    }
    return program.Run();
}

// The run-time library's default handler for an uncaught exception prints
// the demangled type name, which pulls a demangler into the program. Every
// error is caught before it could get there, so the program ends plainly.
namespace __gnu_cxx {
void __verbose_terminate_handler() { ::ExitProcess(3); }
}  // namespace __gnu_cxx
