// The main window on Win32: creates it at its one size with its controls,
// runs its message loop and routes what happens in it to frmKalvex. Its
// controls, keyboard behaviour, fonts, file list and toolkit services are
// parts of their own. Windows only.
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
    explicit Win32Window(HINSTANCE instance) : instance_(instance) {}
    ~Win32Window();
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    // Creates the window and every control, not yet shown. False on failure.
    bool Create();
    Controls& controls() { return *controls_; }
    Toolkit& toolkit() { return toolkit_; }
    void Attach(frmKalvex* form) { form_ = form; }
    void Show(int showCommand);
    // The message loop; returns the exit code.
    int Run();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    bool CreateFrame();
    void OnCommand(int id, int code);
    void OnFileListPressed(WPARAM wParam, LPARAM lParam);

    // Runs a handler; an error that leaves it is reported in a message box
    // so that it never crosses the window procedure.
    template <typename Handler>
    void Guarded(Handler&& handler);

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    frmKalvex* form_ = nullptr;
    int dpi_ = 96;
    SIZE frameSize_ = {0, 0};  // the window's one size, once created
    FontCache fonts_;
    DialogKeys keys_;
    Win32Toolkit toolkit_;
    std::unique_ptr<Win32Controls> controls_;
};

}  // namespace kalvex
