#include "win32_program.h"

namespace kalvex {

bool Win32Program::Start(int showCommand) {
    if (!mWindow.Create()) return false;
    mForm.emplace(
        Services{mWindow.ControlServices(), mWindow.ToolkitServices(), mFiles, mSystem, mShell, mModules, mVersion});
    mWindow.Attach(&*mForm);
    mForm->Form_Load();
    mWindow.Show(showCommand);
    return true;
}

int Win32Program::Run() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchDialogMessage(mWindow.Handle(), msg);
    return msg.message == WM_QUIT ? static_cast<int>(msg.wParam) : 1;
}

}  // namespace kalvex
