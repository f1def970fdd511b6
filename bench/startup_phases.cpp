// Where start-up goes: kalvex.exe's own start, built with its time marks on,
// in a process of its own. Writes "<phase> <ms since the process was
// created>" lines into the file named by its command line.
#include <windows.h>

#include <cstdio>
#include <utility>
#include <vector>

#include "probes/win32_system.h"
#include "registration/win32_modules.h"
#include "registration/win32_shell.h"
#include "shared/startup_marks.h"
#include "startup_marks_file.h"
#include "versioninfo/win32_version.h"
#include "window/frmKalvex.h"
#include "window/win32_files.h"
#include "window/win32_window.h"

namespace kalvex {
void StartupMark(const char* phase) { bench::Mark(phase); }
}  // namespace kalvex

// As src/main.cpp starts the program, then handles the messages waiting
// after the first paint instead of running the loop.
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPSTR lpCmdLine, int nShowCmd) {
    bench::Mark("process start to WinMain");
    kalvex::Win32System system;
    kalvex::Win32Files files;
    kalvex::Win32Shell shell;
    kalvex::Win32Modules modules;
    kalvex::Win32Version version;
    kalvex::Win32Window window(hInstance);
    window.Create();
    kalvex::frmKalvex form({window.controls(), window.toolkit(), files, system, shell, modules, version});
    window.Attach(&form);
    form.Form_Load();
    window.Show(nShowCmd);
    bench::Mark("shown and painted");
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) kalvex::DispatchDialogMessage(nullptr, msg);
    bench::Mark("first messages handled");
    bench::WriteMarks(lpCmdLine);
    return 0;
}
