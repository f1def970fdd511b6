// End-to-end driver: starts kalvex.exe in the same Windows (prefix), drives its window through
// real messages and input and prints TAP lines; exit code 0 when every check passed.
//   kalvex_e2e.exe <kalvex.exe> [layout-only | window | batch | components | bench]
#include <windows.h>

#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <numeric>
#include <optional>
#include <set>

#include "shared/win32_handles.h"
#include "support.h"

namespace e2e {

void RunBenchmarks();  // bench/bench_driver.cpp

namespace {

using C = ControlId;
const char kCompleted[] = "Process completed",
           kNoEntry[] = "Process failed in obtaining entry point or creating thread.",
           kDenied[] = "Process failed with error code 0x80070005.";

struct Expected {  // the window after start-up, written out here
    const char *name, *className, *caption;
    long id, left, top, width, height;  // twips
    bool shown, ownerDrawn;
};
const Expected kControls[] = {
    {"text1", "EDIT", "", 1000, 240, 4440, 5535, 315, true, false},
    {"lblOCXFileSpec", "STATIC", "File specification of OCX/DLL\r\n    e.g. c:\\Windows\\System\\mswinsck.ocx", 1001,
     360, 4200, 5508, 468, true, false},
    {"cmdRegister", "BUTTON", "Register", 1002, 1560, 6720, 1215, 375, true, false},
    {"cmdUnregister", "BUTTON", "Unregister", 1003, 3000, 6600, 1215, 375, true, false},
    {"cmdExit", "BUTTON", "Exit", 1004, 5280, 6960, 1215, 375, true, false},
    {"lblFileInfo", "STATIC", "", 1005, 480, 4440, 5508, 528, true, false},
    {"lblPleaseVerify", "STATIC", "Please verify Product Version, if any:", 1006, 600, 5760, 2928, 228, false, false},
    {"cmdProceed", "BUTTON", "Proceed", 1007, 1680, 7080, 1215, 375, false, true},
    {"cmdCancel", "BUTTON", "Cancel", 1008, 3360, 7080, 1215, 375, false, true},
    {"File1", "LISTBOX", "", 1009, 2640, 5040, 2532, 2376, true, false},
    {"Command1(1)", "BUTTON", "Register  mscomctl.ocx", 1010, 1680, 1920, 3012, 612, true, false},
    {"Label1(0)", "STATIC", "1", 1011, 600, 1080, 612, 612, true, false},
    {"Command1(0)", "BUTTON", "UnRegister  mscomctl.ocx", 1012, 1680, 1080, 3012, 612, true, false},
    {"Label1(1)", "STATIC", "2", 1013, 600, 2040, 612, 612, true, false},
    {"Command2", "BUTTON", "Close", 1014, 4800, 3120, 972, 372, true, false},
};

long Px(long twips) { return (twips * g_situation.dpi + 720) / 1440; }  // 1440 twips make an inch
std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}
std::string Upper(std::string text) { return ::CharUpperA(&text[0]) != nullptr ? text : ""; }
std::string Looks(const std::string& kind, const std::string& caption, const RECT& r, bool shown, bool drawn) {
    return kind + " \"" + caption + "\" " + Describe(r) + (shown ? " shown" : " hidden") +
           (drawn ? " owner-drawn" : "");
}

void CheckLayout(const Program& p) {
    RECT client = {};
    ::GetClientRect(p.window, &client);
    const LONG frame =
        ::GetWindowLongA(p.window, GWL_STYLE) & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME);
    CheckEqual(
        WideText(p.window) + (frame == WS_SYSMENU ? " fixed, system menu only " : " other frame ") + Describe(client),
        "Kalvex fixed, system menu only " + Describe({0, 0, Px(6192), Px(3816)}), "title, frame, client size");
    for (const Expected& w : kControls) {
        HWND control = ::GetDlgItem(p.window, w.id);
        char kind[64] = {};
        ::GetClassNameA(control, kind, sizeof(kind));
        const LONG style = ::GetWindowLongA(control, GWL_STYLE);
        RECT r = {};
        ::GetWindowRect(control, &r);
        ::MapWindowPoints(nullptr, p.window, reinterpret_cast<POINT*>(&r), 2);
        CheckEqual(
            Looks(Upper(kind), WideText(control), r, (style & WS_VISIBLE) != 0,
                  Upper(kind) == "BUTTON" && (style & BS_TYPEMASK) == BS_OWNERDRAW),
            Looks(w.className, w.caption, {Px(w.left), Px(w.top), Px(w.left) + Px(w.width), Px(w.top) + Px(w.height)},
                  w.shown, w.ownerDrawn),
            w.name + std::string(" (id ") + std::to_string(w.id) + ")");
        if (w.id == 1000) Check(r.top >= Px(3816), "text1 lies below the client area");
    }
}

void Key(WORD key, wchar_t unicode = 0, DWORD up = 0) {
    INPUT input = {INPUT_KEYBOARD};
    input.ki = {key, unicode, (unicode != 0 ? static_cast<DWORD>(KEYEVENTF_UNICODE) : 0) | up, 0, 0};
    ::SendInput(1, &input, sizeof(INPUT));
}
void Tap(WORD key, wchar_t unicode = 0) { Key(key, unicode), Key(key, unicode, KEYEVENTF_KEYUP); }

HWND Focus(const Program& p) {
    GUITHREADINFO info = {sizeof(info)};
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(p.window, nullptr), &info) ? info.hwndFocus : nullptr;
}

bool FocusShown(const Program& p) {  // on one of the window's controls, shown and enabled
    HWND focus = Focus(p);
    return ::IsChild(p.window, focus) && ::IsWindowVisible(focus) && ::IsWindowEnabled(focus);
}

bool TabTo(const Program& p, C id, bool back = false) {
    for (int i = 0; i < 16 && Focus(p) != p.Control(id); ++i) {
        HWND before = Focus(p);
        if (back) Key(VK_SHIFT);
        Tap(VK_TAB);
        if (back) Key(VK_SHIFT, 0, KEYEVENTF_KEYUP);
        WaitFor([&] { return Focus(p) != before; }, 2000);
    }
    return Focus(p) == p.Control(id);
}

// "normal": Register, Unregister, Exit shown, Proceed, Cancel hidden, text1 editable, the program
// answering (Wine counts it hung after a long handler until its loop runs); "confirmation": the
// other way round. In full, lblFileInfo's text in brackets and "please verify" when it shows.
std::string State(const Program& p, bool full) {
    std::string mode = (::GetWindowLongA(p.Control(C::text1), GWL_STYLE) & ES_READONLY) != 0 ? "locked " : "";
    for (C id : {C::cmdRegister, C::cmdUnregister, C::cmdExit, C::cmdProceed, C::cmdCancel})
        mode += Visible(p, id) ? "1" : "0";
    if (!::SendMessageTimeoutA(p.window, WM_NULL, 0, 0, SMTO_NORMAL, 15000, nullptr)) mode = "not answering";
    mode = mode == "11100" ? "normal" : mode == "locked 00011" ? "confirmation" : mode;
    return !full ? mode
                 : mode + " [" + WideText(p.Control(C::lblFileInfo)) + "]" +
                       (Visible(p, C::lblPleaseVerify) ? " please verify" : "");
}

// The next box's text (and caption, when not "Kalvex"), closed with OK or Enter; "" for none.
std::string Answer(const Program& p, DWORD limitMs = 15000, bool enter = false) {
    HWND box = WaitForMessageBox(p, limitMs);
    if (box == nullptr || State(p, false) == "not answering") return "";
    const std::string caption = WideText(box);
    const std::string text = MessageText(box) + (caption != "Kalvex" ? " <" + caption + ">" : "");
    if (enter) Tap(VK_RETURN);
    return (enter ? WaitFor([&] { return !::IsWindowVisible(box); }, 3000) : Dismiss(box)) ? text : text + " <open>";
}

// The server kvx_good's class names, "" for none (the driver has the program's registry view).
std::string GoodRegistration() {
    char value[MAX_PATH * 2] = {};
    DWORD size = sizeof(value);
    ::RegGetValueA(HKEY_CURRENT_USER,
                   "Software\\Classes\\CLSID\\{4B9E2C61-7D3A-4F15-9A8E-2C6D0B5F7E13}\\InprocServer32", nullptr,
                   RRF_RT_REG_SZ, nullptr, value, &size);
    return Upper(value);
}

// What the other test components have registered, as "name=value" words; "" for nothing. Paths in
// upper case.
std::string Registered() {
    const std::string category = "{5A71E0C3-9B24-4D86-A15F-3C8E27D064B9}";
    std::string seen;
    const auto value = [&](const char* name, HKEY root, const std::string& key, const char* entry) {
        char text[MAX_PATH * 2] = {};
        DWORD size = sizeof(text);
        if (::RegGetValueA(root, key.c_str(), entry, RRF_RT_REG_SZ, nullptr, text, &size) == ERROR_SUCCESS)
            seen += std::string(name) + "=" + Upper(text) + " ";
    };
    value("category", HKEY_CLASSES_ROOT, "Component Categories\\" + category, "409");
    HKEY implemented = nullptr;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT,
                        ("CLSID\\{8D0C52A4-3E61-4B9F-8C2A-61F0D4E7B935}\\Implemented Categories\\" + category).c_str(),
                        0, KEY_READ, &implemented) == ERROR_SUCCESS)
        seen += "implements ", ::RegCloseKey(implemented);
    value("com", HKEY_CURRENT_USER, "Software\\Classes\\CLSID\\{8D0C52A4-3E61-4B9F-8C2A-61F0D4E7B935}\\InprocServer32",
          nullptr);
    const std::string helped = "Software\\Classes\\CLSID\\{2F6B8E17-C4D0-4A53-9E71-B8A3D2C5F064}\\InprocServer32";
    value("helped", HKEY_CURRENT_USER, helped, nullptr);
    value("helper", HKEY_CURRENT_USER, helped, "Helper");
    return seen;
}

std::string Component(const std::string& name) { return g_situation.exeDir + "\\" + name; }
bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
void Place(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string Listing(const std::string& pattern) {  // the names matching it, upper case, sorted
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA(pattern.c_str(), &found);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(find, &found))
        names.push_back(Upper(found.cFileName) + " ");
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return std::accumulate(names.begin(), names.end(), std::string());
}

// The processes that descend from `root`, by name; with `end`, they are ended.
std::string Descendants(DWORD root, bool end = false) {
    std::set<DWORD> tree = {root};
    std::string names;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 e = {sizeof(e)};
    for (size_t known = 0; known != tree.size();) {  // until no process joins
        known = tree.size();
        for (BOOL more = ::Process32First(snapshot, &e); more; more = ::Process32Next(snapshot, &e)) {
            if (tree.count(e.th32ParentProcessID) == 0 || !tree.insert(e.th32ProcessID).second) continue;
            names += Upper(e.szExeFile) + " ";
            HANDLE process = end ? ::OpenProcess(PROCESS_TERMINATE, FALSE, e.th32ProcessID) : nullptr;
            if (process != nullptr) ::TerminateProcess(process, 1), ::CloseHandle(process);
        }
    }
    ::CloseHandle(snapshot);
    return names;
}

std::string Hint(const std::string& path) {
    return "If not successful then \r\n\r\nrightclick on '" + path + "\r\n\r\n and select 'Run as Adminstrator'";
}

// Steps, one a line, run in order against one window. Actions: set T (text1, or the named control,
// then shown), press, type T, tab [back], keys K (virtual keys, after Tab to the control if named),
// pick N (left press on entry N; "-": right press, no current entry), away and back (another window
// takes the foreground, then the program's), message/enter T (the next box says T, "" for none in
// 1 s; closed by OK or Enter), close [how] (by the control, WM_CLOSE or SC_CLOSE; exit code 0),
// order O (the tab order from text1), expect. Then, when given, polled up to 5 s: the State in
// `want`, the focus (kShown: any shown, enabled control), text1, the server kvx_good's class names.
// Compound, then normal mode: refuse T M (set T, press: message M); engine T M (the same, Proceed
// and "WWW" first), launch F B (hint for F; cmd.exe runs F, of bytes B; all it started ends; no F:
// nothing starts in 2 s).
const char kOps[] = " set press type tab keys pick away back message enter close order expect refuse engine launch ";
const C kShown = static_cast<C>(1);
struct Step {
    std::string op;
    C id{};
    std::string text{}, want{};
    C focus{};
    std::optional<std::string> text1{}, registered{};
};

void Expect(const std::function<std::string()>& seen, const std::string& want, const std::string& what) {
    WaitFor([&] { return seen() == want; }, 5000);
    CheckEqual(seen(), want, what);
}

void Run(Program& p, const std::string& group, const std::vector<Step>& steps) {
    int n = 0;
    HWND other = nullptr;
    for (const Step& s : steps) {
        HWND c = p.Control(s.id);
        const std::string what = group + " " + std::to_string(++n) + ": " + s.op + " " + s.text.substr(0, 60);
        if (std::strstr(kOps, (" " + s.op + " ").c_str()) == nullptr) Check(false, what, "no such step");
        if (p.lost || (p.lost = State(p, false) == "not answering")) return void(Check(false, what, "no answer"));
        if (s.op == "set") SetText(c != nullptr ? c : p.Control(C::text1), s.text), ::ShowWindowAsync(c, SW_SHOWNA);
        if (s.op == "set") WaitFor([&] { return c == nullptr || ::IsWindowVisible(c); });
        if (s.op == "press") Click(p, s.id);
        if ((s.op == "tab" || s.op == "keys") && c != nullptr) Check(TabTo(p, s.id, s.text == "back"), what + ": Tab");
        for (const char key : s.op == "keys" || s.op == "type" ? s.text : "")
            s.op == "keys" ? Tap(static_cast<WORD>(key)) : Tap(0, static_cast<unsigned char>(key));
        if (s.op == "pick") {
            HWND list = p.Control(C::File1);
            const bool none = s.text == "-";
            if (none) ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
            const LPARAM at =
                MAKELPARAM(5, (std::atoi(s.text.c_str()) * 2 + 1) * ::SendMessageA(list, LB_GETITEMHEIGHT, 0, 0) / 2);
            ::PostMessageA(list, none ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, none ? MK_RBUTTON : MK_LBUTTON, at);
            ::PostMessageA(list, none ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
        }
        if (s.op == "away")
            other = ::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 99, 99, nullptr, nullptr, nullptr,
                                      nullptr);
        HWND front = s.op == "away" ? other : s.op == "back" ? p.window : nullptr;
        if (front != nullptr)
            ::SetForegroundWindow(front), Check(WaitFor([&] { return ::GetForegroundWindow() == front; }, 3000), what);
        if (s.op == "message" || s.op == "enter")
            CheckEqual(Answer(p, s.text.empty() ? 1000 : 15000, s.op == "enter"), s.text, what + ": the box");
        if (s.op == "close") {
            Check(p.MessageBoxes().empty(), what + ": no message box open");
            const UINT message = c != nullptr ? BM_CLICK : s.text == "WM_CLOSE" ? WM_CLOSE : WM_SYSCOMMAND;
            ::PostMessageA(c != nullptr ? c : p.window, message, message == WM_SYSCOMMAND ? SC_CLOSE : 0, 0);
            DWORD code = 12345;  // STILL_ACTIVE (259) when it runs on
            ::WaitForSingleObject(p.info.hProcess, 5000);
            CheckEqual(::GetExitCodeProcess(p.info.hProcess, &code) ? std::to_string(code) : "?", "0",
                       what + ": exit code");
        }
        if (s.op == "order") {
            std::string walked = "1000";
            for (HWND at = p.Control(C::text1); walked.size() < s.text.size();)
                walked += " " + std::to_string(::GetDlgCtrlID(at = ::GetNextDlgTabItem(p.window, at, FALSE)));
            CheckEqual(walked, s.text, what);
        }
        if (s.op == "refuse" || s.op == "engine") {
            SetText(p.Control(C::text1), s.text);
            Click(p, s.id);
            if (s.op == "engine" &&
                Check(WaitFor([&] { return State(p, false) == "confirmation"; }, 5000), what + ": confirmation")) {
                Click(p, C::cmdProceed);
                CheckEqual(Answer(p), "WWW", what + ": WWW first");
            }
            CheckEqual(Answer(p), s.want, what);
        }
        const DWORD pid = p.info.dwProcessId;
        if (s.op == "launch" && s.text.empty())
            Check(!WaitFor([&] { return !Descendants(pid).empty(); }, 2000), what + ": nothing", Descendants(pid));
        if (s.op == "launch" && !s.text.empty()) {
            CheckEqual(Answer(p), Hint(s.text), what + ": hint");
            Check(WaitFor([&] { return Descendants(pid).find("CMD.EXE") != std::string::npos; }),
                  what + ": cmd.exe runs it", Descendants(pid));
            std::ifstream in(s.text, std::ios::binary);
            CheckEqual(std::string(std::istreambuf_iterator<char>(in), {}), s.want, what + ": its bytes");
            Check(WaitFor([&] { return Descendants(pid, true).empty(); }, 5000),
                  what + ": every process it started has ended", Descendants(pid));
        }
        const std::string state = s.op == "refuse" || s.op == "engine" || s.op == "launch" ? "normal" : s.want;
        if (!state.empty()) Expect([&] { return State(p, state.find('[') != std::string::npos); }, state, what);
        if (s.registered) Expect(GoodRegistration, Upper(*s.registered), what + ": registered");
        if (s.text1) Expect([&] { return WideText(p.Control(C::text1)); }, *s.text1, what + ": text1");
        if (s.focus == kShown) Check(WaitFor([&] { return FocusShown(p); }, 5000), what + ": focus on a shown control");
        if (s.focus > kShown)
            Expect([&] { return std::to_string(::GetDlgCtrlID(Focus(p))); }, std::to_string(kalvex::ToInt(s.focus)),
                   what + ": focus");
    }
}

// The program's open handles. Wine answers GetProcessHandleCount with 0; then they are counted
// in the system's handle table, whose entries begin with the owner's process id.
DWORD HandleCount(const Program& p) {
    DWORD count = 0;
    if (::GetProcessHandleCount(p.info.hProcess, &count) && count != 0) return count;
    std::vector<char> table(1 << 22);  // room for 170000 handles
    ULONG size = 0, entries = 0, pid = 0;
    if (::NtQuerySystemInformation(SystemHandleInformation, table.data(), 1 << 22, &size) != 0) return 0;
    std::memcpy(&entries, table.data(), sizeof(entries));
    for (ULONG i = 0; i < entries; ++i) {
        std::memcpy(&pid, table.data() + sizeof(void*) + i * (2 * sizeof(void*) + 8), sizeof(pid));
        count += pid == p.info.dwProcessId ? 1 : 0;
    }
    return count;
}

// Many file checks, version reads and registrations leave the handle count where it was. The
// checks run the handlers by WM_COMMAND: the buttons' mouse handling costs more under Wine.
void CheckHandles(Program& p) {
    const Step registration = {"engine", C::cmdRegister, Component("kvx_good.ocx"), kCompleted};
    Run(p, "handles, first", {registration});
    const DWORD start = HandleCount(p);
    for (int i = 0; i < 20200; ++i) {
        const C id = i % 2 != 0 ? C::cmdCancel : i < 20000 ? C::cmdUnregister : C::cmdRegister;
        if (!::SendMessageTimeoutA(p.window, WM_COMMAND, MAKEWPARAM(kalvex::ToInt(id), BN_CLICKED),
                                   reinterpret_cast<LPARAM>(p.Control(id)), SMTO_NORMAL, 5000, nullptr))
            break;  // a box came up, or the program hangs: the check below tells
    }
    CheckEqual(State(p, false) + " " + std::to_string(HandleCount(p)),
               start > 0 ? "normal " + std::to_string(start) : "a count",
               "handles after 10000 file checks and 100 version reads");
    for (int i = 0; i < 100; ++i) Run(p, "handles", {registration});
    CheckEqual(std::to_string(HandleCount(p)), std::to_string(start), "handles after 100 registrations");
    Run(p, "handles, last", {{"engine", C::cmdUnregister, Component("kvx_good.ocx"), kCompleted}});
}

// kvx_slow outlasts the program's 10 s wait. It stays loaded while its worker runs and after it
// has finished, until the next engine call.
void CheckSlowComponent(Program& p) {
    const std::string slow = Component("kvx_slow.");
    Run(p, "slow",
        {{"set", {}, slow + "ocx"}, {"press", C::cmdRegister}, {"press", C::cmdProceed}, {"message", {}, "WWW"}});
    WaitFor([&] { return Exists(slow + "started"); }, 5000);
    const DWORD start = ::GetTickCount(), elapsed = WaitForMessageBox(p, 15000) ? ::GetTickCount() - start : 0;
    Check(Exists(slow + "started") && !Exists(slow + "unloaded") && elapsed >= 9500 && elapsed <= 12000,
          "slow: its message 10 s after its worker started, which still runs in it", std::to_string(elapsed) + " ms");
    Run(p, "slow", {{"message", {}, "Process failed in signaled state or time-out.", "normal"}});
    Check(WaitFor([&] { return Exists(slow + "finished"); }, 6000) &&
              !WaitFor([&] { return Exists(slow + "unloaded"); }, 1000),
          "slow: its worker finishes; the component stays loaded until the next engine call");
    Run(p, "slow", {{"engine", C::cmdRegister, Component("kvx_denied.ocx"), kDenied}});
    Check(WaitFor([&] { return Exists(slow + "unloaded"); }, 3000), "slow: the next engine call unloads it");
    for (const char* marker : {"started", "finished", "unloaded"}) ::DeleteFileA((slow + marker).c_str());
}

void RunLayoutOnly() {
    Program p;
    if (Check(p.Start(g_situation.exe), "layout: kalvex.exe starts"))
        CheckLayout(p), Run(p, "layout", {{"close", {}, "WM_CLOSE"}});
}

// The window, the general section and the engine in one window, closed with Close; then the other
// ways to close, with mscomctl.ocx proposed.
void RunWindow() {
    const std::string dir = g_situation.exeDir, sys = g_situation.systemDir, good = Component("kvx_good.ocx"),
                      text = Component("kvx_text.ocx");
    const std::string version =
        "confirmation [Company Name:  Kalvex Test Components\r\nProduct Version:  2.5.0.1] please verify";
    const std::string nonAscii = Component("kvx_\xE9t\xE9.ocx");  // "kvx_été.ocx" in the ANSI code page
    ::CopyFileA(good.c_str(), nonAscii.c_str(), FALSE);
    const std::string before = Listing(dir + "\\*");
    Program p;
    if (Check(p.Start(g_situation.exe), "window: kalvex.exe starts")) {
        ::SendMessageA(p.window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);  // changes nothing
        ::ShowWindow(p.window, SW_MAXIMIZE);
        CheckLayout(p);
        HMODULE image = ::LoadLibraryExA(g_situation.exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        Check(::FindResourceA(image, MAKEINTRESOURCEA(1), RT_GROUP_ICON) != nullptr,
              "the program file carries its icon");
        ::FreeLibrary(image);
        char block[16384] = {}, *company = nullptr;
        UINT length = 0;
        ::GetFileVersionInfoA(g_situation.exe.c_str(), 0, sizeof(block), block);
        ::VerQueryValueA(block, "\\StringFileInfo\\040904B0\\CompanyName", reinterpret_cast<void**>(&company), &length);
        CheckEqual(company != nullptr ? company : "", "The Kalvex developers", "CompanyName in the version block");
        HWND list = p.Control(C::File1);
        std::string listed;
        for (LRESULT i = 0; i < ::SendMessageA(list, LB_GETCOUNT, 0, 0); ++i)
            listed += Upper(WideText(list, LB_GETTEXT, i)) + " ";
        CheckEqual(listed, Listing(sys + "\\*.ocx"), "the file list shows the system folder's .ocx files");
        Run(p, "window",
            {{"order", {}, "1000 1002 1003 1004 1009 1010 1012 1014 1000", "", C::text1},
             // Typing withdraws the version display.
             {"set", C::lblFileInfo, "Company Name:  Someone"},
             {"set", C::lblPleaseVerify, "Please verify"},
             {"type", {}, good, "normal []", {}, good},
             // Register pressed from the keyboard hides itself: the focus moves on.
             {"keys", C::cmdRegister, {VK_SPACE}, version, C::cmdProceed},
             {"order", {}, "1000 1007 1008 1009 1010 1012 1014 1000"},
             {"tab", C::text1, "back"},
             {"type", {}, "x"},
             {"keys", {}, {VK_TAB}, "", C::cmdProceed, good},  // the focus moved on: x was handled
             {"keys", {}, {VK_SPACE}},
             {"enter", {}, "WWW"},
             {"message", {}, kCompleted, "normal []", kShown, {}, good},
             // Enter presses Unregister: no version; Proceed leaves lblFileInfo as it was.
             {"keys", C::cmdUnregister, {VK_RETURN}, "confirmation []"},
             {"set", C::lblFileInfo, "kept"},
             {"keys", C::cmdProceed, {VK_SPACE}},
             {"message", {}, "WWW"},
             {"message", {}, kCompleted, "normal [kept]", kShown, {}, ""},
             {"press", C::cmdRegister, "", version},
             {"keys", C::cmdCancel, {VK_SPACE}, "normal []", kShown, {}, ""},
             // No version block; a list press in confirmation mode replaces text1.
             {"set", {}, text},
             {"press", C::cmdRegister, "", "confirmation [(No Product Version available for this file)]"},
             {"pick", {}, "0", "confirmation []", {}, sys + "\\" + WideText(list, LB_GETTEXT, 0)},
             // Deactivated with the focus on Proceed, hidden meanwhile: Space then presses nothing hidden.
             {"tab", C::cmdProceed},
             {"away"},
             {"press", C::cmdCancel, "", "normal []"},
             {"back", {}, "", "", kShown},
             {"keys", {}, {VK_SPACE}},
             {"message", {}, "", "normal []"},
             // List presses in normal mode; arrow keys in the list leave text1. The engine's outcomes.
             {"pick", {}, "1", "", {}, sys + "\\" + WideText(list, LB_GETTEXT, 1)},
             {"pick", {}, "-", "", {}, sys + "\\"},
             {"keys", C::File1, {VK_DOWN, VK_DOWN, VK_TAB}, "", C::Command1_1, sys + "\\"},
             {"engine", C::cmdRegister, text, "Failure loading control DLL"},
             {"engine", C::cmdRegister, Component("kvx_noexports.dll"), kNoEntry},
             {"engine", C::cmdRegister, Component("kalvex_e2e.exe"), kNoEntry},
             {"engine", C::cmdRegister, dir + "/kvx_denied.ocx", kDenied},
             {"engine", C::cmdRegister, nonAscii, kCompleted, {}, {}, nonAscii},
             {"engine", C::cmdUnregister, nonAscii, kCompleted, {}, {}, ""}});
        // Refused input; odd names the file test must not take for files.
        for (const char* blank : {"", "    "})
            Run(p, "blank", {{"refuse", C::cmdRegister, blank, "No path and filename yet"}});
        for (const std::string& odd :
             std::vector<std::string>{"\t", dir, "CON", "NUL", dir + "\\*.ocx", good + "\\", "\"" + good + "\"",
                                      dir + "\\" + std::string(300, 'a') + ".ocx"}) {
            Run(p, "odd name", {{"refuse", C::cmdRegister, odd, "File not found"}});
        }
        CheckEqual(Listing(dir + "\\*"), before, "nothing new in the program's folder");
        CheckSlowComponent(p);
        CheckHandles(p);
        Run(p, "window", {{"close", C::Command2}});
    }
    ::DeleteFileA(nonAscii.c_str());
    Place(g_situation.proposal, "not a real component");
    for (const Step& last : {Step{"close", C::cmdExit}, Step{"close", {}, "WM_CLOSE"}, Step{"close", {}, "SC_CLOSE"}}) {
        Program closing;
        if (Check(closing.Start(g_situation.exe), "closing: kalvex.exe starts") && last.text == "SC_CLOSE")
            Run(closing, "closing", {{"press", C::cmdRegister, "", "confirmation"}});
        Run(closing, "closing", {{"expect", {}, "", "", {}, g_situation.proposal}, last});
    }
    ::DeleteFileA(g_situation.proposal.c_str());
}

// Components built the way real ones are, in a folder that is neither the program's nor the current
// one: one that uses COM while it registers, one that imports a helper beside it, one whose entry
// points fault. Then names that the check and the load could take for different files: a relative
// name with a decoy of that name beside the program, and a name without extension beside name.dll.
void RunComponents() {
    const std::string there = "C:\\Components", current = "C:\\kvx-current", good = Component("kvx_good.ocx");
    const std::string kFailed = "Process failed with error code ";
    ::CreateDirectoryA(current.c_str(), nullptr);
    ::CopyFileA(good.c_str(), (current + "\\kvx_twin.ocx").c_str(), FALSE);
    ::CopyFileA(Component("kvx_denied.ocx").c_str(), Component("kvx_twin.ocx").c_str(), FALSE);
    ::CopyFileA(good.c_str(), (there + "\\twin.dll").c_str(), FALSE);
    Place(there + "\\twin", "a text file beside twin.dll");
    Program p;
    if (!Check(p.Start(g_situation.exe, current), "components: kalvex.exe starts in a folder of its own")) return;
    const std::string com = there + "\\kvx_com.ocx", helped = there + "\\kvx_helped.ocx";
    Run(p, "components", {{"engine", C::cmdRegister, com, kCompleted}});
    CheckEqual(Registered(), "category=KALVEX TEST CONTROLS implements com=" + Upper(com) + " ",
               "components: the COM component recorded its category and class");
    Run(p, "components", {{"engine", C::cmdUnregister, com, kCompleted}});
    CheckEqual(Registered(), "", "components: the COM component removed them again");
    Run(p, "components", {{"engine", C::cmdRegister, helped, kCompleted}});
    CheckEqual(Registered(), "helped=" + Upper(helped) + " helper=HELPED ",
               "components: the component found its helper beside it");
    Run(p, "components",
        {{"engine", C::cmdUnregister, helped, kCompleted},
         // A faulting entry point ends its worker; the window goes on.
         {"engine", C::cmdRegister, there + "\\kvx_fault.ocx", kFailed + "0xC0000005."},
         {"engine", C::cmdUnregister, there + "\\kvx_fault.ocx", kFailed + "0xE0564B58."},
         {"engine", C::cmdRegister, good, kCompleted, {}, {}, good},
         {"engine", C::cmdUnregister, good, kCompleted, {}, {}, ""},
         // The current folder's kvx_twin.ocx is the one checked, shown and registered.
         {"set", {}, "kvx_twin.ocx"},
         {"press", C::cmdRegister, "",
          "confirmation [Company Name:  Kalvex Test Components\r\nProduct Version:  2.5.0.1] please verify"},
         {"press", C::cmdProceed},
         {"message", {}, "WWW"},
         {"message", {}, kCompleted, "normal []", {}, {}, current + "\\kvx_twin.ocx"},
         {"engine", C::cmdUnregister, "kvx_twin.ocx", kCompleted, {}, {}, ""},
         // "twin" is a text file: nothing is shown and nothing is loaded, twin.dll included.
         {"set", {}, there + "\\twin"},
         {"press", C::cmdRegister, "", "confirmation [(No Product Version available for this file)]"},
         {"press", C::cmdProceed},
         {"message", {}, "WWW"},
         {"message", {}, "Failure loading control DLL", "normal []", {}, {}, ""},
         {"close", {}, "WM_CLOSE"}});
    CheckEqual(Registered(), "", "components: nothing left registered");
    ::DeleteFileA(Component("kvx_twin.ocx").c_str());
}

// A version.dll left beside the program does not serve the program's version read, also where the
// system looks in the program's folder first for libraries that it does not always take from its
// own folder; Wine does so when told, per program. The stand-in answers every call with nothing: a
// program that imported version.dll would show no version. Wine's own user32 imports version.dll
// (Windows' does not), so under that setting the stand-in is loaded into the process anyway: its
// marker shows that the setting took effect.
void RunPlanted() {
    const std::string folder = "C:\\kvx-planted", marker = folder + "\\planted.loaded";
    const char* const overrides = "Software\\Wine\\AppDefaults\\kalvex.exe";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::CopyFileA(Component("planted\\version.dll").c_str(), (folder + "\\version.dll").c_str(), FALSE);
    ::CopyFileA(g_situation.exe.c_str(), (folder + "\\kalvex.exe").c_str(), FALSE);
    ::RegSetKeyValueA(HKEY_CURRENT_USER, (std::string(overrides) + "\\DllOverrides").c_str(), "version", REG_SZ,
                      "native,builtin", sizeof("native,builtin"));
    Program p;
    if (Check(p.Start(folder + "\\kalvex.exe", folder), "planted: kalvex.exe starts beside a planted version.dll")) {
        Run(p, "planted",
            {{"set", {}, Component("kvx_good.ocx")},
             {"press", C::cmdRegister, "",
              "confirmation [Company Name:  Kalvex Test Components\r\nProduct Version:  2.5.0.1] please verify"},
             {"press", C::cmdCancel, "", "normal []"},
             {"close", {}, "WM_CLOSE"}});
    }
    ::RegDeleteTreeA(HKEY_CURRENT_USER, overrides);
    Check(Exists(marker), "planted: the setting took effect (Wine's own user32 loaded the stand-in)");
}

// The numbered buttons on a copy of the program in a folder of its own: a press writes its batch
// file next to the program and the shell runs it in cmd.exe, which waits at "pause".
void RunBatch() {
    const std::string folder = "C:\\kalvex-batch", reg = folder + "\\register.bat", unreg = folder + "\\unregister.bat";
    const std::string cd = g_situation.windows64 ? "cd C:\\Windows\\SysWOW64\r\n" : "cd C:\\Windows\\System32\r\n";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::CopyFileA(g_situation.exe.c_str(), (folder + "\\kalvex.exe").c_str(), FALSE);
    Place(reg, std::string(5000, 'x'));  // an older, much longer one
    Program p;
    if (!Check(p.Start(folder + "\\kalvex.exe"), "batch: its copy starts")) return;
    Run(p, "batch",
        {{"press", C::Command1_1},
         {"launch", {}, reg, cd + "regsvr32 mscomctl.ocx\r\nregtlib msdatsrc.tlb\r\npause"},
         {"back"},
         {"keys", C::Command1_0, {VK_SPACE}},
         {"launch", {}, unreg, cd + "regsvr32 /u mscomctl.ocx\r\npause"}});
    ::DeleteFileA(reg.c_str());  // a folder named register.bat in the way; the window stays usable
    ::CreateDirectoryA(reg.c_str(), nullptr);
    Run(p, "batch, blocked",
        {{"press", C::Command1_1},
         {"message", {}, Hint(reg)},
         {"message", {}, reg + " " + kalvex::SystemErrorText(ERROR_ACCESS_DENIED)},
         {"launch"},
         {"press", C::Command1_0},
         {"launch", {}, unreg, cd + "regsvr32 /u mscomctl.ocx\r\npause"},
         {"close", {}, "WM_CLOSE"}});
}

}  // namespace
}  // namespace e2e

int main(int argc, char** argv) {
    using namespace e2e;
    Situation& s = g_situation;
    s.exe = argc > 1 ? argv[1] : "C:\\kalvex\\kalvex.exe";
    s.exeDir = s.exe.substr(0, s.exe.find_last_of('\\'));
    const std::string mode = argc > 2 ? argv[2] : "";
    ::SetProcessDPIAware();
    s.dpi = ::GetDeviceCaps(::GetDC(nullptr), LOGPIXELSY);
    SYSTEM_INFO info = {};
    ::GetNativeSystemInfo(&info);
    s.windows64 = info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
    s.proposal = s.windows64 ? "c:\\windows\\syswow64\\mscomctl.ocx" : "c:\\windows\\system32\\mscomctl.ocx";
    char folder[MAX_PATH] = {};
    s.systemDir.assign(folder, ::GetSystemDirectoryA(folder, MAX_PATH));
    std::printf("# %d dpi, %d-bit Windows, %s-bit %s\n", s.dpi, s.windows64 ? 64 : 32, sizeof(void*) == 8 ? "64" : "32",
                s.exe.c_str());
    ::DeleteFileA(s.proposal.c_str());  // no default component to start with
    if (mode == "bench") return RunBenchmarks(), 0;
    const std::string listed[] = {s.systemDir + "\\kalvex-e2e-a.ocx", s.systemDir + "\\kalvex-e2e-b.ocx"};
    for (const std::string& file : listed) Place(file, "not a real component");  // for the file list
    if (mode == "layout-only") RunLayoutOnly();
    if (mode.empty() || mode == "window") RunWindow();
    if (mode.empty() || mode == "batch") RunBatch();
    if (mode.empty() || mode == "components") RunComponents(), RunPlanted();
    for (const std::string& file : listed) ::DeleteFileA(file.c_str());
    std::printf("1..%d\n# %d failed\n", g_checks, g_failures);
    return g_failures == 0 ? 0 : 1;
}
