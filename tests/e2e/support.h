// What the end-to-end driver and the benchmark share: the situation they run
// in, TAP lines, polling with a time limit, and ways to start kalvex.exe,
// read and press its controls and answer its message boxes. Windows only.
#pragma once

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "window/control_ids.h"

namespace e2e {

using kalvex::ControlId;

struct Situation {
    std::string exe, exeDir;  // kalvex.exe under test; its folder holds the test components
    std::string systemDir;    // as the program sees it: the driver has its bitness
    int dpi = 96;
    bool windows64 = false;  // the Windows we run on
};
inline Situation g_situation;
inline int g_checks = 0, g_failures = 0;

inline bool Check(bool ok, const std::string& what, const std::string& detail = std::string()) {
    std::string line;  // one TAP line
    for (char c : what + (ok || detail.empty() ? "" : ": " + detail)) {
        line += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
    }
    g_failures += ok ? 0 : 1;
    std::printf("%s %d - %s\n", ok ? "ok" : "not ok", ++g_checks, line.c_str());
    std::fflush(stdout);
    return ok;
}
inline bool CheckEqual(const std::string& got, const std::string& want, const std::string& what) {
    return Check(got == want, what, "got \"" + got + "\", want \"" + want + "\"");
}

// Asks `condition` every 20 ms until it holds or `limitMs` has passed.
inline bool WaitFor(const std::function<bool()>& condition, DWORD limitMs = 10000) {
    for (const DWORD start = ::GetTickCount(); !condition(); ::Sleep(20)) {
        if (::GetTickCount() - start >= limitMs) return condition();
    }
    return true;
}

// The text of a window (WM_GETTEXT) or of a list entry (LB_GETTEXT), read
// with wide messages: the ANSI ones lose text between processes.
inline std::string WideText(HWND hwnd, UINT message = WM_GETTEXT, WPARAM index = 0) {
    std::wstring wide(32768, L'\0');
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(hwnd, message, message == WM_GETTEXT ? wide.size() : index,
                               reinterpret_cast<LPARAM>(&wide[0]), SMTO_ABORTIFHUNG, 2000, &length)) {
        return "<no answer>";
    }
    std::string text(length * 2, '\0');
    text.resize(static_cast<size_t>(::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(length), &text[0],
                                                          static_cast<int>(text.size()), nullptr, nullptr)));
    return text;
}

// Visible top-level windows of process `pid` with class `className`.
inline std::vector<HWND> WindowsOf(DWORD pid, const char* className) {
    std::vector<HWND> found;
    for (HWND w = nullptr; (w = ::FindWindowExA(nullptr, w, className, nullptr)) != nullptr;) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(w, &owner);
        if (owner == pid && ::IsWindowVisible(w)) found.push_back(w);
    }
    return found;
}
inline HWND First(const std::vector<HWND>& windows) { return windows.empty() ? nullptr : windows.front(); }

// kalvex.exe while it runs; ended when the object goes away.
class Program {
public:
    Program() = default;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program() {
        if (info_.hProcess == nullptr) return;
        ::TerminateProcess(info_.hProcess, 99);  // when it still runs
        ::WaitForSingleObject(info_.hProcess, 5000);
        ::CloseHandle(info_.hProcess);
        ::CloseHandle(info_.hThread);
    }
    // Starts the program and waits for its main window.
    bool Start(const std::string& exe) {
        STARTUPINFOA startup = {sizeof(startup)};
        return ::CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_) &&
               WaitFor([&] { return (window_ = First(WindowsOf(info_.dwProcessId, "KalvexMainWindow"))) != nullptr; });
    }
    HWND Window() const { return window_; }
    HWND Control(ControlId id) const { return ::GetDlgItem(window_, kalvex::ToInt(id)); }
    HANDLE Process() const { return info_.hProcess; }
    DWORD Pid() const { return info_.dwProcessId; }
    std::vector<HWND> MessageBoxes() const { return WindowsOf(info_.dwProcessId, "#32770"); }

private:
    PROCESS_INFORMATION info_ = {};
    HWND window_ = nullptr;
};

inline bool Visible(const Program& p, ControlId id) {
    return (::GetWindowLongA(p.Control(id), GWL_STYLE) & WS_VISIBLE) != 0;
}
// Presses a button as a click would, without waiting for its handler.
inline void Click(const Program& p, ControlId id) { ::PostMessageA(p.Control(id), BM_CLICK, 0, 0); }
// Replaces a text as typing would: the change notification fires.
inline void SetText(HWND control, const std::string& text) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 2000,
                          &result);
}

// The program's next message box, or null when none came within the limit.
inline HWND WaitForMessageBox(const Program& p, DWORD limitMs = 10000) {
    HWND box = nullptr;
    WaitFor([&] { return (box = First(p.MessageBoxes())) != nullptr && ::GetDlgItem(box, IDOK) != nullptr; }, limitMs);
    return box;
}
inline std::string MessageText(HWND box) { return WideText(::GetDlgItem(box, 0xFFFF)); }
// Presses OK and waits until the box has gone.
inline bool Dismiss(HWND box) {
    ::PostMessageA(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    return WaitFor([&] { return !::IsWindowVisible(box); }, 5000);
}

}  // namespace e2e
