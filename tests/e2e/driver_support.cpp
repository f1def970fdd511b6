#include "driver_support.h"

#include <cstdio>

namespace e2e {

namespace {
int g_checks = 0;
int g_failures = 0;

std::string Narrow(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    const int size =
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &text[0], size, nullptr, nullptr);
    return text;
}

std::wstring Widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int size = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
    return wide;
}

std::string Printable(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}
}  // namespace

void Check(bool ok, const std::string& what, const std::string& detail) {
    ++g_checks;
    if (ok) {
        std::printf("ok %d - %s\n", g_checks, what.c_str());
    } else {
        ++g_failures;
        std::printf("not ok %d - %s%s%s\n", g_checks, what.c_str(), detail.empty() ? "" : ": ", detail.c_str());
    }
    std::fflush(stdout);
}

void CheckEqual(const std::string& actual, const std::string& expected, const std::string& what) {
    Check(actual == expected, what, "got \"" + Printable(actual) + "\", want \"" + Printable(expected) + "\"");
}

void CheckEqual(long actual, long expected, const std::string& what) {
    Check(actual == expected, what, "got " + std::to_string(actual) + ", want " + std::to_string(expected));
}

int Failures() { return g_failures; }
int Checks() { return g_checks; }

bool WaitFor(const std::function<bool()>& condition, DWORD limitMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (::GetTickCount() - start >= limitMs) return condition();
        ::Sleep(20);
    }
}

// ---- Program ----

namespace {
struct WindowSearch {
    DWORD pid;
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    char className[64] = {};
    ::GetClassNameA(hwnd, className, sizeof(className));
    if (pid == search->pid && std::string(className) == search->className && ::IsWindowVisible(hwnd)) {
        search->found.push_back(hwnd);
    }
    return TRUE;
}

}  // namespace

std::vector<HWND> WindowsOf(DWORD pid, const char* className) {
    WindowSearch search = {pid, className, {}};
    ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

Program::~Program() { Kill(); }

bool Program::Start(const std::string& exePath, const std::string& arguments) {
    std::string commandLine = "\"" + exePath + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    if (!::CreateProcessA(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info_)) {
        return false;
    }
    ::WaitForInputIdle(info_.hProcess, 10000);
    WaitFor([&] {
        const std::vector<HWND> windows = WindowsOf(info_.dwProcessId, "KalvexMainWindow");
        window_ = windows.empty() ? nullptr : windows.front();
        return window_ != nullptr;
    });
    if (window_ != nullptr) threadId_ = ::GetWindowThreadProcessId(window_, nullptr);
    return window_ != nullptr;
}

bool Program::WaitForExit(DWORD limitMs, DWORD* exitCode) {
    if (info_.hProcess == nullptr) return false;
    if (::WaitForSingleObject(info_.hProcess, limitMs) != WAIT_OBJECT_0) return false;
    ::GetExitCodeProcess(info_.hProcess, exitCode);
    return true;
}

std::vector<HWND> Program::MessageBoxes() const { return WindowsOf(info_.dwProcessId, "#32770"); }

void Program::Kill() {
    if (info_.hProcess != nullptr) {
        if (::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(info_.hProcess, 99);
            ::WaitForSingleObject(info_.hProcess, 5000);
        }
        ::CloseHandle(info_.hProcess);
        ::CloseHandle(info_.hThread);
    }
    info_ = PROCESS_INFORMATION{};
    window_ = nullptr;
}

// ---- controls ----

// A text read with wide messages: the ANSI ones lose text on the way
// between processes. `lengthMessage` answers the length in characters,
// `textMessage` copies the text; `index` is the list entry, if any.
static std::string WideText(HWND hwnd, UINT lengthMessage, UINT textMessage, WPARAM index) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(hwnd, lengthMessage, index, 0, SMTO_ABORTIFHUNG, 2000, &length)) return "<no answer>";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(hwnd, textMessage, textMessage == WM_GETTEXT ? length + 1 : index,
                          reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG, 2000, &copied);
    text.resize(copied);
    return Narrow(text);
}

std::string TextOf(HWND hwnd) { return WideText(hwnd, WM_GETTEXTLENGTH, WM_GETTEXT, 0); }

bool SetTextOf(HWND hwnd, const std::string& text) {
    const std::wstring wide = Widen(text);
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), SMTO_ABORTIFHUNG, 2000,
                                 &result) != 0;
}

std::string ClassOf(HWND hwnd) {
    char name[64] = {};
    ::GetClassNameA(hwnd, name, sizeof(name));
    return name;
}

RECT ClientRectOf(HWND child) {
    RECT r = {};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

HWND FocusOf(DWORD threadId) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!::GetGUIThreadInfo(threadId, &info)) return nullptr;
    return info.hwndFocus;
}

std::vector<std::string> ListItems(HWND list) {
    std::vector<std::string> items;
    DWORD_PTR count = 0;
    if (!::SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count)) return items;
    for (DWORD_PTR i = 0; i < count; ++i) items.push_back(WideText(list, LB_GETTEXTLEN, LB_GETTEXT, i));
    return items;
}

void PressKeys(std::initializer_list<WORD> virtualKeys) {
    std::vector<INPUT> inputs;
    for (WORD key : virtualKeys) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto key = virtualKeys.end(); key != virtualKeys.begin();) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *--key;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void TypeText(const std::string& text) {
    for (const wchar_t c : Widen(text)) {
        INPUT inputs[2] = {};
        inputs[0].type = INPUT_KEYBOARD;
        inputs[0].ki.wScan = c;
        inputs[0].ki.dwFlags = KEYEVENTF_UNICODE;
        inputs[1] = inputs[0];
        inputs[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        ::SendInput(2, inputs, sizeof(INPUT));
    }
}

std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

TempFile::TempFile(const std::string& path) : path_(path) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const char content[] = "not a real component";
    DWORD written = 0;
    ok_ = ::WriteFile(file, content, sizeof(content) - 1, &written, nullptr) != 0;
    ::CloseHandle(file);
}

TempFile::~TempFile() { ::DeleteFileA(path_.c_str()); }

}  // namespace e2e
