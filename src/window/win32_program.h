// The program's parts wired together on Win32: the system adapters, the main
// window and the form that decides what happens in it. The program and the
// start-up benchmark both start Kalvex through this. Windows only.
#pragma once

#include <windows.h>

#include <optional>

#include "engine/win32_modules.h"
#include "frmKalvex.h"
#include "numbered_buttons/win32_files.h"
#include "numbered_buttons/win32_shell.h"
#include "system_questions/win32_system.h"
#include "versioninfo/win32_version.h"
#include "win32_window.h"

namespace kalvex {

class Win32Program final {
public:
    explicit Win32Program(HINSTANCE instance) : mWindow(instance) {}

    // Creates the window, runs the form's start-up and shows the window as
    // `showCommand` asks. False when the window could not be created.
    bool Start(int showCommand);
    // The message loop, until the window has been closed; returns the exit
    // code.
    int Run();

private:
    // Declared before the form, so they outlive it: its engine releases the
    // components of workers that have ended as it goes.
    Win32System mSystem;
    Win32Files mFiles;
    Win32Shell mShell;
    Win32Modules mModules;
    Win32Version mVersion;
    Win32Window mWindow;
    std::optional<frmKalvex> mForm;
};

}  // namespace kalvex
