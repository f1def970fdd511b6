// What every scenario of the end-to-end driver shares: the situation it runs
// in (bitness of Windows, folders, dpi), and Kalvex-specific ways to start
// the program, find and press its controls and answer its message boxes.
// Windows only.
#pragma once

#include <windows.h>

#include <string>

#include "driver_support.h"
#include "window/control_ids.h"

namespace e2e {

struct Situation {
    std::string exe;     // kalvex.exe under test
    std::string exeDir;  // its folder, where the test components lie too
    int dpi = 96;
    bool windows64 = false;  // the Windows we run on is 64-bit
    std::string systemDir;   // as the program under test sees it (same bitness as the driver)
    std::string windowsDir;
    // The 32-bit system folder of this Windows, as the program's proposal names it.
    std::string defaultFolder() const { return windows64 ? "c:\\windows\\syswow64" : "c:\\windows\\system32"; }
};
extern Situation g_situation;

// A file next to the program under test (the test components lie there).
std::string Component(const std::string& name);
// The class key that the test component kvx_good.ocx registers under HKCU.
extern const char* const kGoodClassKey;
// The component that kvx_good's class names as its server; "" when the class
// is not registered. The driver has the program's bitness, so it sees the
// same registry view as the component.
std::string GoodRegistration();

HWND ControlOf(const Program& program, kalvex::ControlId id);
std::string Text(const Program& program, kalvex::ControlId id);
bool Visible(const Program& program, kalvex::ControlId id);
// Presses a button as a click would, without waiting for its handler.
void Click(const Program& program, kalvex::ControlId id);
// Replaces text1's content as typing would (the change notification fires).
void SetText1(const Program& program, const std::string& text);

// The general section's two button modes, as the window shows them.
bool InNormalMode(const Program& program);
bool InConfirmationMode(const Program& program);
// Waits up to 3 s for the mode and checks that it came.
void ExpectMode(const Program& program, bool confirmation, const std::string& what);
// Names `path` in text1, presses Register or Unregister, then Proceed, and
// expects "WWW" and then `outcome` within `limitMs`, and normal mode again.
// Answers the milliseconds until the outcome appeared, counted from the
// appearance of the file `clockFrom` when one is named, else from the
// dismissal of "WWW". (Under Wine on a bare X server a dismissed message box
// can take a further 2 s to return, which would count as engine time.)
DWORD RunThrough(Program& program, kalvex::ControlId button, const std::string& path, const std::string& outcome,
                 const std::string& what, DWORD limitMs = 10000, const std::string& clockFrom = std::string());

// ---- focus and keyboard ----
HWND Focus(const Program& program);
// Waits until `id` has the focus; names the control that has it otherwise.
void ExpectFocus(const Program& program, kalvex::ControlId id, const std::string& what);
// The focus is on a control that is shown and enabled.
void ExpectFocusOnVisible(const Program& program, const std::string& what);
// Moves the focus with Tab (or Shift+Tab) until `id` has it, as a user would.
void TabTo(const Program& program, kalvex::ControlId id, const std::string& what, bool backwards = false);
// Walking the tab order from `order[0]` meets the rest of `order` in turn.
void ExpectTabOrder(const Program& program, std::initializer_list<kalvex::ControlId> order, const std::string& what);

// The program's next message box, or null when none came within the limit.
HWND WaitForMessageBox(Program& program, DWORD limitMs = 10000);
std::string MessageText(HWND box);
// Presses OK and waits until the box has gone.
void Dismiss(HWND box);
// Expects a message box with exactly `text`, then dismisses it. The text
// seen (or "" when none came) is returned.
std::string ExpectMessage(Program& program, const std::string& text, const std::string& what, DWORD limitMs = 10000);
// Any message box on screen is a failure of the scenario; close it.
void NoMessageBoxes(Program& program, const std::string& scenario);
// Waits until the program handles messages again (after a long handler).
bool Responsive(const Program& program, DWORD limitMs = 15000);

// Starts the program under test, or the copy of it at `exePath`.
bool StartProgram(Program& program, const std::string& scenario, const std::string& arguments = std::string(),
                  const std::string& exePath = std::string());
// Expects the program to end at once with code 0.
void ExpectEndsWithZero(Program& program, const std::string& how);
// Sends WM_CLOSE, then expects the same.
void CloseAndExpectEnd(Program& program, const std::string& how);

// Scenario groups, one file each.
void RunWindowScenarios();
void RunLayoutOnly();
void RunBatchScenarios();
void RunEngineScenarios();
void RunGeneralScenarios();
// Not a test: timings for the benchmark script.
void RunBenchmarks();

}  // namespace e2e
