// Helpers of the end-to-end driver: starting the program, finding its
// windows, reading controls across processes, polling with a time limit and
// reporting results in TAP form. Windows only.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace e2e {

// ---- reporting ----
void Check(bool ok, const std::string& what, const std::string& detail = std::string());
void CheckEqual(const std::string& actual, const std::string& expected, const std::string& what);
void CheckEqual(long actual, long expected, const std::string& what);
int Failures();
int Checks();

// ---- polling ----
// Calls `condition` every 20 ms until it holds or `limitMs` has passed.
bool WaitFor(const std::function<bool()>& condition, DWORD limitMs = 10000);

// ---- the program under test ----
// Visible top-level windows of one process with the given class.
std::vector<HWND> WindowsOf(DWORD pid, const char* className);

class Program {
public:
    Program() = default;
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Starts the program and waits for its main window. False on failure.
    bool Start(const std::string& exePath, const std::string& arguments = std::string());
    HWND Window() const { return window_; }
    HWND Control(int id) const { return ::GetDlgItem(window_, id); }
    DWORD ThreadId() const { return threadId_; }
    HANDLE Process() const { return info_.hProcess; }

    // Waits for the process to end; true with its exit code when it did.
    bool WaitForExit(DWORD limitMs, DWORD* exitCode);
    // Message boxes of the program now on screen.
    std::vector<HWND> MessageBoxes() const;
    // Ends the process if it still runs.
    void Kill();

private:
    PROCESS_INFORMATION info_ = {};
    HWND window_ = nullptr;
    DWORD threadId_ = 0;
};

// ---- reading and driving controls in another process ----
std::string TextOf(HWND hwnd);
bool SetTextOf(HWND hwnd, const std::string& text);
std::string ClassOf(HWND hwnd);
RECT ClientRectOf(HWND child);  // a child's rectangle in its parent's client coordinates
HWND FocusOf(DWORD threadId);
std::vector<std::string> ListItems(HWND list);
// Types text through the keyboard input queue (SendInput).
void TypeText(const std::string& text);
// Presses the keys in order and releases them in reverse (Shift+Tab).
void PressKeys(std::initializer_list<WORD> virtualKeys);
inline void PressKey(WORD virtualKey) { PressKeys({virtualKey}); }

// A readable description of a rectangle, for failure messages.
std::string Describe(const RECT& r);

// Writes a small file; removes it again when the object goes away.
class TempFile {
public:
    explicit TempFile(const std::string& path);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    bool ok() const { return ok_; }

private:
    std::string path_;
    bool ok_ = false;
};

}  // namespace e2e
