// What the end-to-end driver and the benchmark share: TAP lines, polling, driving kalvex.exe.
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
    // kalvex.exe, its folder (with the test components), the system folder as the program (of the
    // driver's bitness) sees it, and mscomctl.ocx in the 32-bit system folder.
    std::string exe, exeDir, systemDir, proposal;
    int dpi = 96;
    bool windows64 = false;  // the Windows we run on
};
inline Situation g_situation;
inline int g_checks = 0, g_failures = 0;

inline bool Check(bool ok, const std::string& what, const std::string& detail = std::string()) {
    std::string line = ok || detail.empty() ? what : what + ": " + detail;  // one TAP line
    for (size_t at = 0; (at = line.find_first_of("\r\n", at)) != std::string::npos; at += 2) {
        line.replace(at, 1, line[at] == '\r' ? "\\r" : "\\n");
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

// A window's text, or a list entry's (LB_GETTEXT), by wide messages: ANSI ones lose text.
inline std::string WideText(HWND hwnd, UINT message = WM_GETTEXT, WPARAM index = 0) {
    wchar_t wide[32768] = {};
    char text[65536] = {};
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(hwnd, message, message == WM_GETTEXT ? 32768 : index, reinterpret_cast<LPARAM>(wide),
                               SMTO_ABORTIFHUNG, 2000, &length))
        return "<no answer>";
    return std::string(text, static_cast<size_t>(::WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(length), text,
                                                                       sizeof(text), nullptr, nullptr)));
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
struct Program {
    PROCESS_INFORMATION info = {};
    HWND window = nullptr;
    bool lost = false;  // it stopped answering: what remains fails at once
    ~Program() {
        if (info.hProcess == nullptr) return;
        ::TerminateProcess(info.hProcess, 99);  // when it still runs
        ::WaitForSingleObject(info.hProcess, 5000);
        ::CloseHandle(info.hProcess);
        ::CloseHandle(info.hThread);
    }
    // Starts `exe` in `folder` (the driver's own current folder when empty).
    bool Start(const std::string& exe, const std::string& folder = std::string()) {
        STARTUPINFOA startup = {sizeof(startup)};
        return ::CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                                folder.empty() ? nullptr : folder.c_str(), &startup, &info) &&
               WaitFor([&] { return (window = First(WindowsOf(info.dwProcessId, "KalvexMainWindow"))) != nullptr; });
    }
    HWND Control(ControlId id) const { return ::GetDlgItem(window, kalvex::ToInt(id)); }
    std::vector<HWND> MessageBoxes() const { return WindowsOf(info.dwProcessId, "#32770"); }
};

inline bool Visible(const Program& p, ControlId id) { return ::IsWindowVisible(p.Control(id)) != FALSE; }
// Presses a button as a click would, without waiting for its handler.
inline void Click(const Program& p, ControlId id) { ::PostMessageA(p.Control(id), BM_CLICK, 0, 0); }
// Replaces a text as typing would: the change notification fires.
inline void SetText(HWND control, const std::string& text) {
    ::SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 2000,
                          nullptr);
}

// The program's next message box, or null when none came within the limit.
inline HWND WaitForMessageBox(const Program& p, DWORD limitMs = 10000) {
    HWND box = nullptr;
    WaitFor([&] { return (box = First(p.MessageBoxes())) != nullptr && ::GetDlgItem(box, IDOK) != nullptr; }, limitMs);
    return box;
}
inline std::string MessageText(HWND box) { return WideText(::GetDlgItem(box, 0xFFFF)); }
inline bool Dismiss(HWND box) {
    ::PostMessageA(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    return WaitFor([&] { return !::IsWindowVisible(box); }, 5000);
}

}  // namespace e2e
