// What the end-to-end tests and the benchmark share: starting a program and ending it, polling,
// message boxes, and kalvex.exe's window driven with real messages and keyboard input.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "window/control_ids.h"

namespace e2e {

using kalvex::ControlId;

// Where this run takes place; main finds it out.
struct Situation {
    std::string exe, exeDir;  // kalvex.exe and its folder, which holds the test components
    std::string systemDir;    // the system folder as a program of the driver's bitness sees it
    std::string proposal;     // mscomctl.ocx in the 32-bit system folder
    int dpi = 96;
    bool windows64 = false;  // the Windows we run on
};
inline Situation g_situation;

// Asks `condition` every `pollMs` until it holds or `limitMs` has passed; whether it held.
inline bool WaitFor(const std::function<bool()>& condition, DWORD limitMs = 10000, DWORD pollMs = 20) {
    for (const DWORD start = ::GetTickCount(); !condition(); ::Sleep(pollMs)) {
        if (::GetTickCount() - start >= limitMs) return condition();
    }
    return true;
}

// The driver's texts are UTF-8, its ANSI code page (its manifest asks for it, as the program's
// does); the windows' own are UTF-16.
inline std::wstring Utf16(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<size_t>(::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                          &wide[0], static_cast<int>(wide.size()))));
    return wide;
}

// And back.
inline std::string Utf8(const std::wstring& wide) {
    std::string text(wide.size() * 3, '\0');
    text.resize(static_cast<size_t>(::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                                          &text[0], static_cast<int>(text.size()), nullptr, nullptr)));
    return text;
}

// A window's text, or a list entry's (LB_GETTEXT), by wide messages, in UTF-8.
inline std::string WideText(HWND hwnd, UINT message = WM_GETTEXT, WPARAM index = 0) {
    std::wstring wide(32768, L'\0');
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(hwnd, message, message == WM_GETTEXT ? wide.size() : index,
                               reinterpret_cast<LPARAM>(&wide[0]), SMTO_ABORTIFHUNG, 2000, &length))
        return "<no answer>";
    std::string text(65536, '\0');
    text.resize(static_cast<size_t>(::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(length), &text[0],
                                                          static_cast<int>(text.size()), nullptr, nullptr)));
    return text;
}

// A message box's text (its control 0xFFFF), and its OK pressed: whether it went away in 5 s.
inline std::string BoxText(HWND box) { return WideText(::GetDlgItem(box, 0xFFFF)); }
inline bool Dismiss(HWND box) {
    ::PostMessageA(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    return WaitFor([&] { return !::IsWindowVisible(box); }, 5000);
}

// A program started in the same Windows; ended, when it still runs, as this object goes away.
class Process {
public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process() {
        if (info_.hProcess == nullptr) return;
        ::TerminateProcess(info_.hProcess, 99);
        ::WaitForSingleObject(info_.hProcess, 5000);
        ::CloseHandle(info_.hProcess);
        ::CloseHandle(info_.hThread);
    }

    // Runs `commandLine` in `folder` (the driver's own current folder when empty), asking for its
    // first window to be shown as `show` says, as a shortcut does.
    bool Start(std::string commandLine, const std::string& folder = std::string(), WORD show = SW_SHOWNORMAL) {
        STARTUPINFOA startup = {sizeof(startup)};
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = show;
        return ::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                folder.empty() ? nullptr : folder.c_str(), &startup, &info_) != FALSE;
    }
    DWORD Id() const { return info_.dwProcessId; }
    HANDLE Handle() const { return info_.hProcess; }
    // Its exit code once it has ended within `limitMs`; STILL_ACTIVE while it runs on.
    DWORD ExitCode(DWORD limitMs) const {
        DWORD code = STILL_ACTIVE;
        ::WaitForSingleObject(info_.hProcess, limitMs);
        return ::GetExitCodeProcess(info_.hProcess, &code) ? code : STILL_ACTIVE;
    }

    // Its first visible top-level window of class `className` other than `other`, asked for every
    // `pollMs` up to `limitMs`; null for none. A message box ("#32770") counts once it has its OK.
    HWND WaitForWindow(const char* className, DWORD limitMs = 10000, HWND other = nullptr, DWORD pollMs = 20) const {
        const bool box = std::string(className) == "#32770";
        HWND found = nullptr;
        WaitFor(
            [&] {
                for (found = nullptr; (found = ::FindWindowExA(nullptr, found, className, nullptr)) != nullptr;) {
                    DWORD owner = 0;
                    ::GetWindowThreadProcessId(found, &owner);
                    if (owner == info_.dwProcessId && found != other && ::IsWindowVisible(found) &&
                        (!box || ::GetDlgItem(found, IDOK) != nullptr))
                        return true;
                }
                return false;
            },
            limitMs, pollMs);
        return found;
    }
    HWND WaitForBox(DWORD limitMs = 10000, HWND other = nullptr, DWORD pollMs = 20) const {
        return WaitForWindow("#32770", limitMs, other, pollMs);
    }

private:
    PROCESS_INFORMATION info_ = {};
};

// A key pressed and let go, by its virtual key code or as the character `unicode`.
inline void Tap(WORD key, wchar_t unicode = 0) {
    const DWORD flags = unicode != 0 ? KEYEVENTF_UNICODE : 0;
    INPUT input[2] = {{INPUT_KEYBOARD}, {INPUT_KEYBOARD}};
    input[0].ki = {key, unicode, flags, 0, 0};
    input[1].ki = {key, unicode, flags | KEYEVENTF_KEYUP, 0, 0};
    ::SendInput(2, input, sizeof(INPUT));
}

// Makes `window` the foreground window; whether it became so within 3 s.
inline bool BringToFront(HWND window) {
    ::SetForegroundWindow(window);
    return WaitFor([&] { return ::GetForegroundWindow() == window; }, 3000);
}

// kalvex.exe while it runs. Steps act as a person would; readings tell what the window shows.
class Kalvex : public Process {
public:
    HWND window = nullptr;
    // How long the last Answer waited for its box; after Proceed, from the notice's OK to the outcome.
    DWORD answerMs = 0;

    // Starts `exe` in `folder` and waits for its window.
    bool Launch(const std::string& exe = g_situation.exe, const std::string& folder = std::string(),
                WORD show = SW_SHOWNORMAL) {
        return Start("\"" + exe + "\"", folder, show) && (window = WaitForWindow(kalvex::kWindowClass)) != nullptr;
    }
    HWND Control(ControlId id) const { return ::GetDlgItem(window, kalvex::ToInt(id)); }
    bool Shown(ControlId id) const { return ::IsWindowVisible(Control(id)) != FALSE; }

    // Steps. A click presses a button without waiting for its handler.
    void Click(ControlId id) const { ::PostMessageA(Control(id), BM_CLICK, 0, 0); }
    // Replaces text1's text at once, as pasting would (as UTF-16): the change notification fires.
    void Write(const std::string& text) const {
        const std::wstring wide = Utf16(text);
        ::SendMessageTimeoutW(Control(ControlId::text1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()),
                              SMTO_ABORTIFHUNG, 2000, nullptr);
    }
    // One key a character (a UTF-16 unit), into the control with the focus.
    void Type(const std::string& text) const {
        for (const wchar_t unit : Utf16(text)) Tap(0, unit);
    }
    void Keys(std::initializer_list<WORD> keys) const {
        for (const WORD key : keys) Tap(key);
    }
    // Tab until `id` has the focus; whether it got there.
    bool TabTo(ControlId id) const {
        for (int i = 0; i < 16 && Focus() != id; ++i) {
            const ControlId before = Focus();
            Tap(VK_TAB);
            WaitFor([&] { return Focus() != before; }, 2000);
        }
        return Focus() == id;
    }
    // Mouse presses on the file list's entry `index`, with the left or the right button.
    void PressEntry(int index) const { PressList(index, WM_LBUTTONDOWN, MK_LBUTTON, WM_LBUTTONUP); }
    void RightPressEntry(int index) const { PressList(index, WM_RBUTTONDOWN, MK_RBUTTON, WM_RBUTTONUP); }
    // Writes `path` into text1 and presses `button`: the Screen once in confirmation mode, or 5 s on.
    std::string Confirm(ControlId button, const std::string& path) {
        Write(path);
        Click(button);
        WaitFor([&] { return Mode() == "confirmation"; }, 5000);
        return Screen();
    }
    // Proceed, then "WWW" closed: the outcome's box once back in normal mode, or what came instead.
    std::string Proceed() {
        Click(ControlId::cmdProceed);
        const std::string notice = Answer();
        return notice == "WWW" ? BackToNormal(Answer()) : "\"" + notice + "\" instead of WWW";
    }
    // Both, for a component whose version display does not matter.
    std::string Outcome(ControlId button, const std::string& path) {
        const std::string screen = Confirm(button, path);
        return screen.rfind("confirmation", 0) == 0 ? Proceed() : "no confirmation: " + screen;
    }
    // The next box's text (and caption, when not "Kalvex"), closed with OK (or Enter); "" when none
    // came within `limitMs`, " <open>" added when it stayed.
    std::string Answer(DWORD limitMs = 15000) { return Reply(limitMs, false); }
    std::string AnswerWithEnter() { return Reply(15000, true); }
    // The box that comes, once back in normal mode.
    std::string BackToNormal(const std::string& box) {
        return WaitFor([&] { return Mode() == "normal"; }, 5000) ? box : box + " <then " + Mode() + ">";
    }
    // Closes the program by a button or a message to the window (WM_CLOSE; WM_SYSCOMMAND, SC_CLOSE):
    // "exit code" and its code, after "a box was open, " if one was.
    std::string Close(ControlId button) { return CloseBy(Control(button), BM_CLICK, 0); }
    std::string Close(UINT message, WPARAM wParam = 0) { return CloseBy(window, message, wParam); }

    // Readings.
    // "normal": Register, Unregister, Exit shown, Proceed, Cancel hidden, text1 editable;
    // "confirmation": the other way round; otherwise text1's lock and the five buttons' visibility.
    // "not answering" once the program has not answered for 15 s (Wine counts it hung after a long
    // handler until its loop runs): it is then lost, and not asked again.
    std::string Mode() {
        std::string mode = (::GetWindowLongA(Control(ControlId::text1), GWL_STYLE) & ES_READONLY) != 0 ? "locked " : "";
        for (ControlId id : {ControlId::cmdRegister, ControlId::cmdUnregister, ControlId::cmdExit,
                             ControlId::cmdProceed, ControlId::cmdCancel})
            mode += Shown(id) ? "1" : "0";
        lost_ = lost_ || !::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 15000, nullptr);
        return lost_ ? "not answering" : mode == "11100" ? "normal" : mode == "locked 00011" ? "confirmation" : mode;
    }
    // The Mode, lblFileInfo's text in brackets and "please verify" when that label shows.
    std::string Screen() {
        return Mode() + " [" + WideText(Control(ControlId::lblFileInfo)) + "]" +
               (Shown(ControlId::lblPleaseVerify) ? " please verify" : "");
    }
    std::string Text1() const { return WideText(Control(ControlId::text1)); }
    std::string Entry(int index) const { return WideText(Control(ControlId::File1), LB_GETTEXT, index); }
    std::vector<std::string> Entries() const {
        std::vector<std::string> entries(
            std::max<LRESULT>(0, ::SendMessageA(Control(ControlId::File1), LB_GETCOUNT, 0, 0)));
        for (size_t i = 0; i < entries.size(); ++i) entries[i] = Entry(static_cast<int>(i));
        return entries;
    }
    // The control with the keyboard focus in the program's thread, and whether it is shown and enabled.
    ControlId Focus() const { return static_cast<ControlId>(::GetDlgCtrlID(FocusWindow())); }
    bool FocusOnShownControl() const {
        HWND focus = FocusWindow();
        return ::IsChild(window, focus) && ::IsWindowVisible(focus) && ::IsWindowEnabled(focus);
    }
    // The tab order from text1 as the dialog manager walks it, back to text1.
    std::string TabOrder() const {
        std::string order = "1000";
        HWND at = Control(ControlId::text1);
        for (int i = 0; i < 16 && (i == 0 || at != Control(ControlId::text1)); ++i)
            order += " " + std::to_string(::GetDlgCtrlID(at = ::GetNextDlgTabItem(window, at, FALSE)));
        return order;
    }

private:
    bool lost_ = false;

    std::string Reply(DWORD limitMs, bool byEnter) {
        const DWORD start = ::GetTickCount();
        HWND box = WaitForBox(limitMs);
        answerMs = ::GetTickCount() - start;
        if (box == nullptr || Mode() == "not answering") return "";
        const std::string caption = WideText(box);
        const std::string text = BoxText(box) + (caption != "Kalvex" ? " <" + caption + ">" : "");
        if (byEnter) Tap(VK_RETURN);
        const bool closed = byEnter ? WaitFor([&] { return !::IsWindowVisible(box); }, 3000) : Dismiss(box);
        return closed ? text : text + " <open>";
    }

    void PressList(int index, UINT down, WPARAM buttons, UINT up) const {
        HWND list = Control(ControlId::File1);
        const LPARAM at = MAKELPARAM(5, (index * 2 + 1) * ::SendMessageA(list, LB_GETITEMHEIGHT, 0, 0) / 2);
        ::PostMessageA(list, down, buttons, at);
        ::PostMessageA(list, up, 0, at);
    }
    HWND FocusWindow() const {
        GUITHREADINFO info = {sizeof(info)};
        return ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
    }
    std::string CloseBy(HWND target, UINT message, WPARAM wParam) {
        const std::string open = WaitForBox(0) != nullptr ? "a box was open, " : "";
        ::PostMessageA(target, message, wParam, 0);
        return open + "exit code " + std::to_string(ExitCode(5000));
    }
};

}  // namespace e2e
