#include "scenario_support.h"

#include <vector>

namespace e2e {

Situation g_situation;

const char* const kGoodClassKey = "Software\\Classes\\CLSID\\{4B9E2C61-7D3A-4F15-9A8E-2C6D0B5F7E13}";

std::string Component(const std::string& name) { return g_situation.exeDir + "\\" + name; }

std::string GoodRegistration() {
    HKEY key = nullptr;
    const std::string server = std::string(kGoodClassKey) + "\\InprocServer32";
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, server.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return std::string();
    }
    char value[MAX_PATH * 2] = {};
    DWORD size = sizeof(value) - 1;
    DWORD type = 0;
    const LONG status = ::RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ ? std::string(value) : std::string("<unreadable>");
}

using kalvex::ControlId;

HWND ControlOf(const Program& program, ControlId id) { return program.Control(kalvex::ToInt(id)); }

std::string Text(const Program& program, ControlId id) { return TextOf(ControlOf(program, id)); }

bool Visible(const Program& program, ControlId id) {
    return (::GetWindowLongA(ControlOf(program, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

static bool ReadOnly(const Program& program, ControlId id) {
    return (::GetWindowLongA(ControlOf(program, id), GWL_STYLE) & ES_READONLY) != 0;
}

void Click(const Program& program, ControlId id) { ::PostMessageA(ControlOf(program, id), BM_CLICK, 0, 0); }

void SetText1(const Program& program, const std::string& text) {
    SetTextOf(ControlOf(program, ControlId::text1), text);
}

// Proceed and Cancel shown, the other three hidden and text1 locked, or
// the other way round.
bool InMode(const Program& program, bool confirmation) {
    for (ControlId id : {ControlId::cmdProceed, ControlId::cmdCancel}) {
        if (Visible(program, id) != confirmation) return false;
    }
    for (ControlId id : {ControlId::cmdRegister, ControlId::cmdUnregister, ControlId::cmdExit}) {
        if (Visible(program, id) == confirmation) return false;
    }
    return ReadOnly(program, ControlId::text1) == confirmation;
}

bool InConfirmationMode(const Program& program) { return InMode(program, true); }
bool InNormalMode(const Program& program) { return InMode(program, false); }

void ExpectMode(const Program& program, bool confirmation, const std::string& what) {
    const bool reached = WaitFor([&] { return InMode(program, confirmation); }, 3000);
    Check(reached, what + (confirmation ? ": confirmation mode" : ": normal mode"));
}

DWORD RunThrough(Program& program, ControlId button, const std::string& path, const std::string& outcome,
                 const std::string& what, DWORD limitMs, const std::string& clockFrom) {
    SetText1(program, path);
    Click(program, button);
    if (!WaitFor([&] { return InConfirmationMode(program); }, 5000)) {
        Check(false, what + ": confirmation mode");
        NoMessageBoxes(program, what);
        return 0;
    }
    Click(program, ControlId::cmdProceed);
    ExpectMessage(program, "WWW", what + ": WWW first");
    if (!clockFrom.empty()) {
        WaitFor([&] { return ::GetFileAttributesA(clockFrom.c_str()) != INVALID_FILE_ATTRIBUTES; }, limitMs);
    }
    const DWORD start = ::GetTickCount();
    WaitForMessageBox(program, limitMs);
    const DWORD elapsed = ::GetTickCount() - start;
    ExpectMessage(program, outcome, what + ": outcome", 1000);
    Check(WaitFor([&] { return InNormalMode(program); }, 5000), what + ": back in normal mode");
    return elapsed;
}

HWND Focus(const Program& program) { return FocusOf(program.ThreadId()); }

void ExpectFocus(const Program& program, ControlId id, const std::string& what) {
    const bool reached = WaitFor([&] { return Focus(program) == ControlOf(program, id); }, 3000);
    Check(reached, what,
          "focus on id " + std::to_string(::GetDlgCtrlID(Focus(program))) + ", foreground " +
              ClassOf(::GetForegroundWindow()));
}

void ExpectFocusOnVisible(const Program& program, const std::string& what) {
    ::Sleep(100);
    HWND focus = Focus(program);
    const bool ok = focus != nullptr && ::IsWindowVisible(focus) && ::IsWindowEnabled(focus);
    Check(ok, what + ": focus on a shown control", "focus on id " + std::to_string(::GetDlgCtrlID(focus)));
}

void TabTo(const Program& program, ControlId id, const std::string& what, bool backwards) {
    HWND target = ControlOf(program, id);
    for (int i = 0; i < 16 && Focus(program) != target; ++i) {
        if (backwards) {
            PressKeys({VK_SHIFT, VK_TAB});
        } else {
            PressKey(VK_TAB);
        }
        ::Sleep(50);
        Responsive(program);
    }
    ExpectFocus(program, id, what);
}

void ExpectTabOrder(const Program& program, std::initializer_list<ControlId> order, const std::string& what) {
    std::string walked;
    bool same = true;
    HWND current = ControlOf(program, *order.begin());
    for (auto id = order.begin() + 1; id != order.end(); ++id) {
        current = ::GetNextDlgTabItem(program.Window(), current, FALSE);
        walked += std::to_string(::GetDlgCtrlID(current)) + " ";
        same = same && ::GetDlgCtrlID(current) == kalvex::ToInt(*id);
    }
    Check(same, what, "walked " + walked);
}

HWND WaitForMessageBox(Program& program, DWORD limitMs) {
    HWND box = nullptr;
    WaitFor(
        [&] {
            const std::vector<HWND> boxes = program.MessageBoxes();
            box = boxes.empty() ? nullptr : boxes.front();
            // The text is set before the box is shown, but give it its first paint.
            return box != nullptr && ::GetDlgItem(box, IDOK) != nullptr;
        },
        limitMs);
    return box;
}

std::string MessageText(HWND box) { return TextOf(::GetDlgItem(box, 0xFFFF)); }

void Dismiss(HWND box) {
    ::PostMessageA(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    WaitFor([&] { return !::IsWindow(box) || !::IsWindowVisible(box); }, 5000);
}

std::string ExpectMessage(Program& program, const std::string& text, const std::string& what, DWORD limitMs) {
    HWND box = WaitForMessageBox(program, limitMs);
    if (box == nullptr) {
        Check(false, what, "no message box came; want \"" + text + "\"");
        return std::string();
    }
    // After a long handler Wine counts the program as hung until its message
    // loop runs again, and reading the box's text would give up at once.
    Responsive(program);
    std::string seen = MessageText(box);
    char caption[64] = {};
    ::GetWindowTextA(box, caption, sizeof(caption));
    CheckEqual(seen, text, what);
    if (std::string(caption) != "Kalvex") Check(false, what + ": caption", caption);
    Dismiss(box);
    return seen;
}

void NoMessageBoxes(Program& program, const std::string& scenario) {
    const std::vector<HWND> boxes = program.MessageBoxes();
    std::string texts;
    for (HWND box : boxes) {
        texts += "[" + MessageText(box) + "]";
        ::PostMessageA(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    }
    Check(boxes.empty(), scenario + ": no message box", texts);
}

bool Responsive(const Program& program, DWORD limitMs) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(program.Window(), WM_NULL, 0, 0, SMTO_NORMAL, limitMs, &result) != 0;
}

bool StartProgram(Program& program, const std::string& scenario, const std::string& arguments,
                  const std::string& exePath) {
    const bool started = program.Start(exePath.empty() ? g_situation.exe : exePath, arguments);
    Check(started, scenario + ": kalvex.exe starts and shows its window");
    return started;
}

void CloseAndExpectEnd(Program& program, const std::string& how) {
    ::PostMessageA(program.Window(), WM_CLOSE, 0, 0);
    ExpectEndsWithZero(program, how);
}

void ExpectEndsWithZero(Program& program, const std::string& how) {
    DWORD code = 12345;
    const bool ended = program.WaitForExit(5000, &code);
    Check(ended, how + " ends the program");
    if (ended) CheckEqual(static_cast<long>(code), 0L, how + " exit code");
}

}  // namespace e2e
