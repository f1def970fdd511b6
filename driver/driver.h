// The driver: starts programs in the same Windows (a Wine prefix), waits for their windows and
// message boxes, and takes the steps a person takes in kalvex.exe's window, with real messages and
// keyboard input. The end-to-end tests, the benchmark and the screenshot script link it. Of the
// program it shares the control ids, the thin wrappers of shared/ and the rule that tells a 64-bit
// Windows.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "shared/win32_text.h"
#include "window/control_ids.h"

namespace driver {

using kalvex::ControlId;

// Where this run takes place.
struct Situation {
    std::string exe, exeDir;  // kalvex.exe and its folder, which holds the test components
    std::string systemDir;    // the system folder as a program of the driver's bitness sees it
    int dpi = 96;             // the screen's, as a dpi-aware program sees it
    bool windows64 = false;   // the Windows we run on
};
extern Situation g_situation;

// Makes the driver dpi-aware and finds out the situation for kalvex.exe at `exe`
// (C:\kalvex\kalvex.exe when null).
void FindSituation(const char* exe);

// Asks `condition` every `pollMs` until it holds or `limitMs` has passed; whether it held.
bool WaitFor(const std::function<bool()>& condition, DWORD limitMs = 10000, DWORD pollMs = 20);

// A driver's texts are UTF-8, its ANSI code page (driver.manifest asks for it); the windows' own
// are UTF-16, converted as the program converts them.
using kalvex::Utf8;
using kalvex::W;
using kalvex::Wide;
// A window's text, asked for by a wide message.
std::string WindowText(HWND window);
// A message box's text, and its button `button` (OK unless said) pressed: whether it went away
// within 5 s.
std::string BoxText(HWND box);
bool Dismiss(HWND box, int button = IDOK);
// Makes `window` the foreground window; whether it became so within 3 s.
bool BringToFront(HWND window);

// A program started in the same Windows; ended, when it still runs, as this object goes away, and
// so are the programs it started.
class Process {
public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    // Runs `commandLine` in `folder` (the driver's own current folder when empty).
    bool Start(std::string commandLine, const std::string& folder = std::string());
    // The same under the primary token `token`.
    bool StartAs(HANDLE token, std::string commandLine, const std::string& folder = std::string());
    DWORD Id() const { return mInfo.dwProcessId; }
    HANDLE Handle() const { return mInfo.hProcess; }
    // Its exit code once it has ended within `limitMs`; STILL_ACTIVE while it runs on.
    DWORD ExitCode(DWORD limitMs) const;
    // The programs it started that still run, by name; with `end`, they are ended.
    std::string Children(bool end = false) const;
    // Its first visible top-level window of class `className` other than `other`, asked for every
    // `pollMs` up to `limitMs`; null for none. A message box ("#32770") counts once it has its button
    // `button`.
    HWND WaitForWindow(const char* className, DWORD limitMs = 10000, HWND other = nullptr, DWORD pollMs = 20,
                       int button = IDOK) const;
    HWND WaitForBox(DWORD limitMs = 10000, HWND other = nullptr, DWORD pollMs = 20, int button = IDOK) const {
        return WaitForWindow("#32770", limitMs, other, pollMs, button);
    }

private:
    PROCESS_INFORMATION mInfo = {};
};

// kalvex.exe while it runs. Steps act as a person would; readings tell what the window shows.
class Kalvex : public Process {
public:
    HWND window = nullptr;
    // How long the last Answer waited for its box; after Proceed, from the notice's OK to the outcome.
    DWORD answerMs = 0;

    // Starts `exe` in `folder`, with the argument text `arguments` after its quoted name, and waits
    // for its window.
    bool Launch(const std::string& exe = g_situation.exe, const std::string& folder = std::string(),
                const std::string& arguments = std::string());
    // The same with the user's limited rights, as Windows starts a program for an administrator
    // without "Run as administrator": under the linked token of the driver's elevated one.
    bool LaunchLimited(const std::string& exe = g_situation.exe, const std::string& folder = std::string());
    HWND Control(ControlId id) const { return ::GetDlgItem(window, kalvex::ToInt(id)); }
    bool Shown(ControlId id) const { return ::IsWindowVisible(Control(id)) != FALSE; }

    // Steps. A click presses a button without waiting for its handler.
    void Click(ControlId id) const { ::PostMessageA(Control(id), BM_CLICK, 0, 0); }
    // Replaces text1's text at once, as pasting would (as UTF-16): the change notification fires.
    void Write(const std::string& text) const;
    // One key a character (a UTF-16 unit), into the control with the focus.
    void Type(const std::string& text) const;
    void Keys(std::initializer_list<WORD> keys) const;
    // Tab until `id` has the focus; whether it got there.
    bool TabTo(ControlId id) const;
    // A mouse press on the file list's entry `index`, with the left or the right button; returns once
    // the list has handled it (the list has an entry).
    void PressEntry(int index, bool right = false) const;
    // Moves the window as a person does: the mouse goes down on the title bar, moves by (dx, dy)
    // and comes up.
    void DragByTitleBar(int dx, int dy) const;
    // Writes `path` into text1 and presses `button`: the Screen once in confirmation mode, or 5 s on.
    std::string Confirm(ControlId button, const std::string& path);
    // Proceed, then "WWW" closed: the outcome's box once back in normal mode, or what came instead.
    std::string Proceed();
    // Both, for a component whose version display does not matter.
    std::string Outcome(ControlId button, const std::string& path);
    // The next box's text (and caption, when not "Kalvex"), closed with OK (or Enter); "" when none
    // came within `limitMs`, " <open>" added when it stayed.
    std::string Answer(DWORD limitMs = 15000);
    std::string AnswerWithEnter();
    // The same for a box that offers `button` (IDYES, IDNO, ...), answered with it.
    std::string Choose(int button);
    // The box that comes, once back in normal mode.
    std::string BackToNormal(const std::string& box);
    // Closes the program by a button or a message to the window (WM_CLOSE; WM_SYSCOMMAND, SC_CLOSE):
    // "exit code" and its code, after "a box was open, " if one was.
    std::string Close(ControlId button);
    std::string Close(UINT message = WM_CLOSE, WPARAM wParam = 0);

    // Readings.
    // In the words the unit tests use too (window_words.h): "normal", "confirmation", or else what
    // shows.
    // "not answering" once the program has not answered for 15 s (Wine counts it hung after a long
    // handler until its loop runs): it is then lost, and not asked again.
    std::string Mode();
    // The Mode, lblFileInfo's text in brackets and "please verify" when that label shows.
    std::string Screen();
    std::string Text1() const { return WindowText(Control(ControlId::text1)); }
    std::string Entry(int index) const;
    std::vector<std::string> Entries() const;
    // The control with the keyboard focus in the program's thread, and whether it is shown and enabled.
    ControlId Focus() const;
    bool FocusOnShownControl() const;
    // The tab order from text1 as the dialog manager walks it, back to text1.
    std::string TabOrder() const;

private:
    std::string Reply(DWORD limitMs, bool byEnter, int button = IDOK);
    std::string CloseBy(HWND target, UINT message, WPARAM wParam);

    bool mLost = false;
};

}  // namespace driver
