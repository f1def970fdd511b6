// Stable identifiers of the window's controls. The test driver finds the
// controls by these numbers, so they never change: each is 1000 plus the
// control's tab index.
#pragma once

namespace kalvex {

// The main window's class, by which the test driver and the benchmark find it.
constexpr const char* kWindowClass = "KalvexMainWindow";

enum class ControlId : int {
    text1 = 1000,
    lblOCXFileSpec = 1001,
    cmdRegister = 1002,
    cmdUnregister = 1003,
    cmdExit = 1004,
    lblFileInfo = 1005,
    lblPleaseVerify = 1006,
    cmdProceed = 1007,
    cmdCancel = 1008,
    File1 = 1009,
    Command1_1 = 1010,  // Command1(1), "Register  mscomctl.ocx"
    Label1_0 = 1011,    // Label1(0), "1"
    Command1_0 = 1012,  // Command1(0), "UnRegister  mscomctl.ocx"
    Label1_1 = 1013,    // Label1(1), "2"
    Command2 = 1014,    // "Close"
};

constexpr int ToInt(ControlId id) { return static_cast<int>(id); }

// The control's place in the order the keyboard walks, 0 for the first.
constexpr int TabIndex(ControlId id) { return ToInt(id) - 1000; }

}  // namespace kalvex
