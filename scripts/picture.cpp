// The Windows side of scripts/screenshots.sh's picture of the general section: kalvex.exe in
// confirmation mode for a real component, its window made tall enough to show the section that
// lies below its visible area. The height is the picture's alone: the window would refuse it, so
// it is set without asking the window (SWP_NOSENDCHANGING). Leaves C:\picture-ready once posed and
// waits to be ended.
//   kalvex_picture.exe <kalvex.exe> <component>
#include "driver.h"

int main(int argc, char** argv) {
    driver::FindSituation(argc > 1 ? argv[1] : nullptr);
    driver::Kalvex app;
    if (argc < 3 || !app.Launch()) return 1;
    if (app.Confirm(driver::ControlId::cmdRegister, argv[2]).rfind("confirmation", 0) != 0) return 1;
    RECT frame = {}, client = {};
    ::GetWindowRect(app.window, &frame);
    ::GetClientRect(app.window, &client);
    // The general section's lowest control ends at 7455 twips.
    const int height = ::MulDiv(7600, driver::g_situation.dpi, 1440) + (frame.bottom - frame.top) - client.bottom;
    ::SetWindowPos(app.window, nullptr, 0, 0, frame.right - frame.left, height,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSENDCHANGING);
    ::RedrawWindow(app.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::CloseHandle(::CreateFileA("C:\\picture-ready", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ::Sleep(INFINITE);
}
