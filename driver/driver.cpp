#include "driver.h"

#include <tlhelp32.h>

#include <algorithm>

#include "shared/win32_handles.h"
#include "system_questions/system_questions.h"
#include "window_words.h"

namespace driver {

Situation g_situation;

void FindSituation(const char* exe) {
    Situation& s = g_situation;
    s.exe = exe != nullptr ? exe : "C:\\kalvex\\kalvex.exe";
    s.exeDir = s.exe.substr(0, s.exe.find_last_of('\\'));
    ::SetProcessDPIAware();
    HDC screen = ::GetDC(nullptr);
    s.dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    SYSTEM_INFO info = {};
    ::GetNativeSystemInfo(&info);
    s.windows64 = kalvex::Is64BitArchitecture(info.wProcessorArchitecture);
    s.systemDir = Utf8(kalvex::SystemFolder().value_or(u""));
}

bool WaitFor(const std::function<bool()>& condition, DWORD limitMs, DWORD pollMs) {
    for (const DWORD start = ::GetTickCount(); !condition(); ::Sleep(pollMs)) {
        if (::GetTickCount() - start >= limitMs) return condition();
    }
    return true;
}

namespace {

// A window's text (WM_GETTEXT), or a list entry's (LB_GETTEXT), by wide messages, in UTF-8.
std::string WideText(HWND hwnd, UINT message, WPARAM index = 0) {
    std::u16string wide(32768, u'\0');
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(hwnd, message, message == WM_GETTEXT ? wide.size() : index,
                               reinterpret_cast<LPARAM>(W(wide)), SMTO_ABORTIFHUNG, 2000, &length))
        return "<no answer>";
    wide.resize(length);
    return Utf8(wide);
}

// A key pressed and let go, by its virtual key code or as the character `unicode`.
void Tap(WORD key, wchar_t unicode = 0) {
    const DWORD flags = unicode != 0 ? KEYEVENTF_UNICODE : 0;
    INPUT input[2] = {{INPUT_KEYBOARD}, {INPUT_KEYBOARD}};
    input[0].ki = {key, unicode, flags, 0, 0};
    input[1].ki = {key, unicode, flags | KEYEVENTF_KEYUP, 0, 0};
    ::SendInput(2, input, sizeof(INPUT));
}

// The window with the keyboard focus in `window`'s thread.
HWND FocusWindow(HWND window) {
    GUITHREADINFO info = {sizeof(info)};
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

}  // namespace

std::string WindowText(HWND window) { return WideText(window, WM_GETTEXT); }

std::string BoxText(HWND box) { return WindowText(::GetDlgItem(box, 0xFFFF)); }

bool Dismiss(HWND box, int button) {
    ::PostMessageA(::GetDlgItem(box, button), BM_CLICK, 0, 0);
    return WaitFor([&] { return !::IsWindowVisible(box); }, 5000);
}

bool BringToFront(HWND window) {
    ::SetForegroundWindow(window);
    return WaitFor([&] { return ::GetForegroundWindow() == window; }, 3000);
}

Process::~Process() {
    if (mInfo.hProcess == nullptr) return;
    Children(true);
    ::TerminateProcess(mInfo.hProcess, 99);
    ::WaitForSingleObject(mInfo.hProcess, 5000);
    ::CloseHandle(mInfo.hProcess);
    ::CloseHandle(mInfo.hThread);
}

bool Process::Start(std::string commandLine, const std::string& folder) {
    STARTUPINFOA startup = {sizeof(startup)};
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    return ::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                            folder.empty() ? nullptr : folder.c_str(), &startup, &mInfo) != FALSE;
}

bool Process::StartAs(HANDLE token, std::string commandLine, const std::string& folder) {
    STARTUPINFOA startup = {sizeof(startup)};
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    return ::CreateProcessAsUserA(token, nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                  folder.empty() ? nullptr : folder.c_str(), &startup, &mInfo) != FALSE;
}

DWORD Process::ExitCode(DWORD limitMs) const {
    DWORD code = STILL_ACTIVE;
    ::WaitForSingleObject(mInfo.hProcess, limitMs);
    return ::GetExitCodeProcess(mInfo.hProcess, &code) ? code : STILL_ACTIVE;
}

std::string Process::Children(bool end) const {
    std::string names;
    const kalvex::UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W e = {sizeof(e)};
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &e); more; more = ::Process32NextW(snapshot.Get(), &e)) {
        if (e.th32ParentProcessID != mInfo.dwProcessId) continue;
        names += kalvex::Utf8(e.szExeFile, ::lstrlenW(e.szExeFile)) + " ";
        const kalvex::UniqueKernelObject process(end ? ::OpenProcess(PROCESS_TERMINATE, FALSE, e.th32ProcessID)
                                                     : nullptr);
        if (process) ::TerminateProcess(process.Get(), 1);
    }
    return names;
}

HWND Process::WaitForWindow(const char* className, DWORD limitMs, HWND other, DWORD pollMs, int button) const {
    const bool box = std::string(className) == "#32770";
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (found = nullptr; (found = ::FindWindowExA(nullptr, found, className, nullptr)) != nullptr;) {
                DWORD owner = 0;
                ::GetWindowThreadProcessId(found, &owner);
                if (owner == mInfo.dwProcessId && found != other && ::IsWindowVisible(found) &&
                    (!box || ::GetDlgItem(found, button) != nullptr))
                    return true;
            }
            return false;
        },
        limitMs, pollMs);
    return found;
}

bool Kalvex::Launch(const std::string& exe, const std::string& folder, const std::string& arguments) {
    const std::string line = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    return Start(line, folder) && (window = WaitForWindow(kalvex::kWindowClass)) != nullptr;
}

bool Kalvex::LaunchLimited(const std::string& exe, const std::string& folder) {
    HANDLE own = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &own)) return false;
    const kalvex::UniqueKernelObject ownToken(own);
    TOKEN_LINKED_TOKEN linked = {};
    DWORD size = 0;
    if (!::GetTokenInformation(own, TokenLinkedToken, &linked, sizeof(linked), &size)) return false;
    const kalvex::UniqueKernelObject linkedToken(linked.LinkedToken);
    HANDLE primary = nullptr;
    if (!::DuplicateTokenEx(linked.LinkedToken, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary,
                            &primary)) {
        return false;
    }
    const kalvex::UniqueKernelObject primaryToken(primary);
    return StartAs(primary, "\"" + exe + "\"", folder) && (window = WaitForWindow(kalvex::kWindowClass)) != nullptr;
}

void Kalvex::Write(const std::string& text) const {
    const std::u16string wide = Wide(text);
    ::SendMessageTimeoutW(Control(ControlId::text1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(W(wide)), SMTO_ABORTIFHUNG,
                          2000, nullptr);
}

void Kalvex::Type(const std::string& text) const {
    for (const char16_t unit : Wide(text)) Tap(0, static_cast<wchar_t>(unit));
}

void Kalvex::Keys(std::initializer_list<WORD> keys) const {
    for (const WORD key : keys) Tap(key);
}

bool Kalvex::TabTo(ControlId id) const {
    for (int i = 0; i < 16 && Focus() != id; ++i) {
        const ControlId before = Focus();
        Tap(VK_TAB);
        WaitFor([&] { return Focus() != before; }, 2000);
    }
    return Focus() == id;
}

void Kalvex::PressEntry(int index, bool right) const {
    HWND list = Control(ControlId::File1);
    const LPARAM at = MAKELPARAM(5, (index * 2 + 1) * ::SendMessageA(list, LB_GETITEMHEIGHT, 0, 0) / 2);
    ::PostMessageA(list, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, at);
    ::PostMessageA(list, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
    // Posted messages are handled in order: once a mark posted after the press is on the first
    // entry (whose item data the program never uses), the press has been handled.
    static LPARAM mark = 0;
    ++mark;
    ::PostMessageA(list, LB_SETITEMDATA, 0, mark);
    WaitFor([&] { return ::SendMessageA(list, LB_GETITEMDATA, 0, 0) == mark; }, 5000);
}

void Kalvex::DragByTitleBar(int dx, int dy) const {
    RECT r = {};
    ::GetWindowRect(window, &r);
    const int x = (r.left + r.right) / 2,
              y = r.top + ::GetSystemMetrics(SM_CYFRAME) + ::GetSystemMetrics(SM_CYCAPTION) / 2;
    for (const DWORD button : {MOUSEEVENTF_LEFTDOWN, 0, MOUSEEVENTF_LEFTUP}) {
        INPUT input = {INPUT_MOUSE};
        input.mi.dx = (x + (button == MOUSEEVENTF_LEFTDOWN ? 0 : dx)) * 65535 / (::GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = (y + (button == MOUSEEVENTF_LEFTDOWN ? 0 : dy)) * 65535 / (::GetSystemMetrics(SM_CYSCREEN) - 1);
        input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | button;
        ::SendInput(1, &input, sizeof(INPUT));
        ::Sleep(30);
    }
}

std::string Kalvex::Confirm(ControlId button, const std::string& path) {
    Write(path);
    Click(button);
    WaitFor([&] { return Mode() == "confirmation"; }, 5000);
    return Screen();
}

std::string Kalvex::Proceed() {
    Click(ControlId::cmdProceed);
    const std::string notice = Answer();
    return notice == "WWW" ? BackToNormal(Answer()) : "\"" + notice + "\" instead of WWW";
}

std::string Kalvex::Outcome(ControlId button, const std::string& path) {
    const std::string screen = Confirm(button, path);
    return screen.rfind("confirmation", 0) == 0 ? Proceed() : "no confirmation: " + screen;
}

std::string Kalvex::Answer(DWORD limitMs) { return Reply(limitMs, false); }

std::string Kalvex::AnswerWithEnter() { return Reply(15000, true); }

std::string Kalvex::Choose(int button) { return Reply(15000, false, button); }

std::string Kalvex::BackToNormal(const std::string& box) {
    return WaitFor([&] { return Mode() == "normal"; }, 5000) ? box : box + " <then " + Mode() + ">";
}

std::string Kalvex::Close(ControlId button) { return CloseBy(Control(button), BM_CLICK, 0); }

std::string Kalvex::Close(UINT message, WPARAM wParam) { return CloseBy(window, message, wParam); }

std::string Kalvex::Mode() {
    mLost = mLost || !::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 15000, nullptr);
    if (mLost) return "not answering";
    const bool locked = (::GetWindowLongA(Control(ControlId::text1), GWL_STYLE) & ES_READONLY) != 0;
    return ModeWords(locked, [this](ControlId id) { return Shown(id); });
}

std::string Kalvex::Screen() {
    return Mode() + " [" + WindowText(Control(ControlId::lblFileInfo)) + "]" +
           (Shown(ControlId::lblPleaseVerify) ? " please verify" : "");
}

std::string Kalvex::Entry(int index) const { return WideText(Control(ControlId::File1), LB_GETTEXT, index); }

std::vector<std::string> Kalvex::Entries() const {
    std::vector<std::string> entries(
        std::max<LRESULT>(0, ::SendMessageA(Control(ControlId::File1), LB_GETCOUNT, 0, 0)));
    for (size_t i = 0; i < entries.size(); ++i) entries[i] = Entry(static_cast<int>(i));
    return entries;
}

ControlId Kalvex::Focus() const { return static_cast<ControlId>(::GetDlgCtrlID(FocusWindow(window))); }

bool Kalvex::FocusOnShownControl() const {
    HWND focus = FocusWindow(window);
    return ::IsChild(window, focus) && ::IsWindowVisible(focus) && ::IsWindowEnabled(focus);
}

std::string Kalvex::TabOrder() const {
    std::string order = "1000";
    HWND at = Control(ControlId::text1);
    for (int i = 0; i < 16 && (i == 0 || at != Control(ControlId::text1)); ++i)
        order += " " + std::to_string(::GetDlgCtrlID(at = ::GetNextDlgTabItem(window, at, FALSE)));
    return order;
}

std::string Kalvex::Reply(DWORD limitMs, bool byEnter, int button) {
    const DWORD start = ::GetTickCount();
    HWND box = WaitForBox(limitMs, nullptr, 20, button);
    answerMs = ::GetTickCount() - start;
    if (box == nullptr || Mode() == "not answering") return "";
    const std::string caption = WindowText(box);
    const std::string text = BoxText(box) + (caption != "Kalvex" ? " <" + caption + ">" : "");
    if (byEnter) Tap(VK_RETURN);
    const bool closed = byEnter ? WaitFor([&] { return !::IsWindowVisible(box); }, 3000) : Dismiss(box, button);
    return closed ? text : text + " <open>";
}

std::string Kalvex::CloseBy(HWND target, UINT message, WPARAM wParam) {
    const std::string open = WaitForBox(0) != nullptr ? "a box was open, " : "";
    ::PostMessageA(target, message, wParam, 0);
    return open + "exit code " + std::to_string(ExitCode(5000));
}

}  // namespace driver
