// Where start-up goes: kalvex.exe's own start, built with its time marks on,
// in a process of its own. Writes "<phase> <ms since the process was
// created>" lines into the file named by its command line.
#include <windows.h>

#include "shared/startup_marks.h"
#include "startup_marks_file.h"
#include "window/win32_program.h"

namespace kalvex {
void StartupMark(const char* phase) { bench::Mark(phase); }
}  // namespace kalvex

// Starts the program as src/main.cpp does, then handles the messages waiting
// after the first paint instead of running the loop.
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPSTR lpCmdLine, int nShowCmd) {
    bench::Mark("process start to WinMain");
    kalvex::Win32Program program(hInstance);
    program.Start(nShowCmd);
    bench::Mark("shown and painted");
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) kalvex::DispatchDialogMessage(nullptr, msg);
    bench::Mark("first messages handled");
    bench::WriteMarks(lpCmdLine);
    return 0;
}
