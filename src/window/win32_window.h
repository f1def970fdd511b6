// The main window on Win32: creates it at its one size with its controls
// and routes what happens in it to frmKalvex; closed, it is destroyed and
// ends the message loop. Its controls, keyboard behaviour, fonts, file list
// and services are parts of their own. Windows only.
#pragma once

#include <windows.h>

#include <memory>

#include "win32_controls.h"
#include "win32_dialog_keys.h"
#include "win32_fonts.h"
#include "win32_toolkit.h"

namespace kalvex {

class frmKalvex;

class Win32Window final {
public:
    explicit Win32Window(HINSTANCE instance) : mInstance(instance) {}
    ~Win32Window();
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    // Creates the window and every control, not yet shown. False on failure.
    bool Create();
    HWND Handle() const { return mHwnd; }
    Controls& ControlServices() { return *mControls; }
    Toolkit& ToolkitServices() { return mToolkit; }
    void Attach(frmKalvex* form) { mForm = form; }
    void Show(int showCommand);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    bool CreateFrame();
    void OnCommand(int id, int code);

    // Runs a handler; an error that leaves it is reported in a message box
    // so that it never crosses the window procedure. A handler cut short
    // because the window was closed meanwhile ends quietly.
    template <typename Handler>
    void Guarded(Handler&& handler);

    HINSTANCE mInstance;
    HWND mHwnd = nullptr;
    frmKalvex* mForm = nullptr;
    int mDpi = 96;
    SIZE mFrameSize = {0, 0};  // the window's one size, once created
    FontCache mFonts;
    DialogKeys mKeys;
    Win32Toolkit mToolkit;
    std::unique_ptr<Win32Controls> mControls;
};

}  // namespace kalvex
