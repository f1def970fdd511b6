// Scenarios of the general section through the real window: Register and
// Unregister with their checks, the version display, Proceed and Cancel,
// by keyboard and by clicks; the window's behaviour in confirmation mode;
// and a run of bad input, one text after another in one window.
#include <cstdio>
#include <string>
#include <vector>

#include "scenario_support.h"

namespace e2e {

using kalvex::ControlId;

namespace {

const char* const kNoPath = "No path and filename yet";
const char* const kNotFound = "File not found";
const char* const kCompleted = "Process completed";
const char* const kNoEntryPoint = "Process failed in obtaining entry point or creating thread.";
const char* const kLoadFailure = "Failure loading control DLL";
const char* const kTimeOut = "Process failed in signaled state or time-out.";
const char* const kDenied = "Process failed with error code 0x80070005.";
const char* const kNoVersion = "(No Product Version available for this file)";
const char* const kGoodVersion = "Company Name:  Kalvex Test Components\r\nProduct Version:  2.5.0.1";

// Register, Cancel, Unregister, Proceed, by clicks; the labels and modes of
// every step of the flow.
void ScenarioFlowByClicks() {
    Program program;
    if (!StartProgram(program, "flow")) return;
    const std::string good = Component("kvx_good.ocx");

    // Register shows the version and asks for confirmation; Cancel withdraws.
    SetText1(program, good);
    Click(program, ControlId::cmdRegister);
    ExpectMode(program, true, "Register");
    CheckEqual(Text(program, ControlId::lblFileInfo), kGoodVersion, "Register shows the version");
    Check(Visible(program, ControlId::lblPleaseVerify), "Register shows lblPleaseVerify");
    ExpectFocusOnVisible(program, "after Register");

    ExpectTabOrder(program,
                   {ControlId::text1, ControlId::cmdProceed, ControlId::cmdCancel, ControlId::File1,
                    ControlId::Command1_1, ControlId::Command1_0, ControlId::Command2, ControlId::text1},
                   "tab order in confirmation mode");

    Click(program, ControlId::cmdCancel);
    ExpectMode(program, false, "Cancel");
    CheckEqual(Text(program, ControlId::lblFileInfo), "", "Cancel empties lblFileInfo");
    Check(!Visible(program, ControlId::lblPleaseVerify), "Cancel hides lblPleaseVerify");
    CheckEqual(GoodRegistration(), "", "Cancel registers nothing");

    // Register and Proceed: registered, labels cleared.
    RunThrough(program, ControlId::cmdRegister, good, kCompleted, "register kvx_good");
    Check(lstrcmpiA(GoodRegistration().c_str(), good.c_str()) == 0, "kvx_good is registered", GoodRegistration());
    CheckEqual(Text(program, ControlId::lblFileInfo), "", "Proceed after Register empties lblFileInfo");

    // Unregister shows no version and Proceed leaves the labels alone.
    SetText1(program, good);
    Click(program, ControlId::cmdUnregister);
    ExpectMode(program, true, "Unregister");
    CheckEqual(Text(program, ControlId::lblFileInfo), "", "Unregister shows no version");
    SetTextOf(ControlOf(program, ControlId::lblFileInfo), "kept");
    Click(program, ControlId::cmdProceed);
    ExpectMessage(program, "WWW", "unregister: WWW first");
    ExpectMessage(program, kCompleted, "unregister kvx_good");
    ExpectMode(program, false, "unregister");
    CheckEqual(Text(program, ControlId::lblFileInfo), "kept", "Proceed after Unregister leaves lblFileInfo");
    CheckEqual(GoodRegistration(), "", "kvx_good is unregistered");

    // A file without a version block.
    SetText1(program, Component("kvx_text.ocx"));
    Click(program, ControlId::cmdRegister);
    ExpectMode(program, true, "Register a text file");
    CheckEqual(Text(program, ControlId::lblFileInfo), kNoVersion, "no version block");
    Check(!Visible(program, ControlId::lblPleaseVerify), "no version: lblPleaseVerify hidden");

    // In confirmation mode a press in the file list still replaces the text
    // and withdraws the version display; Proceed then acts on the new text.
    HWND list = ControlOf(program, ControlId::File1);
    const std::vector<std::string> items = ListItems(list);
    if (!items.empty()) {
        ::SendMessageA(list, LB_SETCURSEL, 0, 0);
        SetTextOf(ControlOf(program, ControlId::lblFileInfo), "something");
        ::PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 3));
        ::PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(5, 3));
        const std::string want = g_situation.systemDir + "\\" + items[0];
        Check(WaitFor([&] { return lstrcmpiA(Text(program, ControlId::text1).c_str(), want.c_str()) == 0; }, 3000),
              "file-list press replaces text1 in confirmation mode", Text(program, ControlId::text1));
        CheckEqual(Text(program, ControlId::lblFileInfo), "", "the press empties lblFileInfo");
        Check(InConfirmationMode(program), "the press keeps confirmation mode");
    }

    // Close ends the program from confirmation mode.
    NoMessageBoxes(program, "flow");
    Click(program, ControlId::Command2);
    ExpectEndsWithZero(program, "Close in confirmation mode");
}

// The same flow from the keyboard alone: typing, Tab, Space and Enter.
void ScenarioFlowByKeyboard() {
    Program program;
    if (!StartProgram(program, "keyboard")) return;
    const std::string good = Component("kvx_good.ocx");
    ExpectFocus(program, ControlId::text1, "keyboard: focus starts on text1");
    TypeText(good);
    Check(WaitFor([&] { return Text(program, ControlId::text1) == good; }, 3000), "keyboard: path typed",
          Text(program, ControlId::text1));

    TabTo(program, ControlId::cmdRegister, "keyboard: Tab reaches Register");
    PressKey(VK_SPACE);
    ExpectMode(program, true, "keyboard Register");
    // The pressed button is gone: the focus moves on to Proceed.
    ExpectFocus(program, ControlId::cmdProceed, "keyboard Register: focus moves on to Proceed");
    CheckEqual(Text(program, ControlId::lblFileInfo), kGoodVersion, "keyboard: version shown");

    // Typing into the locked text box changes nothing.
    TabTo(program, ControlId::text1, "keyboard: Shift+Tab back to text1", true);
    TypeText("x");
    ::Sleep(200);
    CheckEqual(Text(program, ControlId::text1), good, "keyboard: locked text1 refuses typing");

    TabTo(program, ControlId::cmdProceed, "keyboard: Tab reaches Proceed");
    PressKey(VK_SPACE);
    HWND box = WaitForMessageBox(program);
    CheckEqual(box != nullptr ? MessageText(box) : "", "WWW", "keyboard: WWW first");
    PressKey(VK_RETURN);
    Check(WaitFor([&] { return !::IsWindow(box) || !::IsWindowVisible(box); }, 3000), "keyboard: Enter closes WWW");
    ExpectMessage(program, kCompleted, "keyboard: register kvx_good");
    ExpectMode(program, false, "keyboard Proceed");
    ExpectFocusOnVisible(program, "keyboard Proceed");
    Check(lstrcmpiA(GoodRegistration().c_str(), good.c_str()) == 0, "keyboard: kvx_good is registered");

    // Unregister: Enter presses the focused button as Space does.
    TabTo(program, ControlId::cmdUnregister, "keyboard: Tab reaches Unregister");
    PressKey(VK_RETURN);
    ExpectMode(program, true, "keyboard Unregister");
    TabTo(program, ControlId::cmdProceed, "keyboard: Tab reaches Proceed again");
    PressKey(VK_SPACE);
    ExpectMessage(program, "WWW", "keyboard unregister: WWW");
    ExpectMessage(program, kCompleted, "keyboard: unregister kvx_good");
    CheckEqual(GoodRegistration(), "", "keyboard: kvx_good is unregistered");
    ExpectFocusOnVisible(program, "keyboard unregister");

    // Arrow keys in the file list move its entry but never fill text1.
    SetText1(program, "unchanged");
    TabTo(program, ControlId::File1, "keyboard: Tab reaches File1");
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    ::Sleep(200);
    CheckEqual(Text(program, ControlId::text1), "unchanged", "arrow keys in File1 leave text1");

    // The close box ends the program from confirmation mode.
    SetText1(program, good);
    Click(program, ControlId::cmdUnregister);
    ExpectMode(program, true, "before the close box");
    ::PostMessageA(program.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectEndsWithZero(program, "close box in confirmation mode");
}

// The window cannot be enlarged, and focus never rests on a hidden control,
// also after the window was deactivated and activated again.
void ScenarioWindowFaults() {
    Program program;
    if (!StartProgram(program, "window faults")) return;
    RECT before = {};
    ::GetClientRect(program.Window(), &before);
    ::PostMessageA(program.Window(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    ::ShowWindowAsync(program.Window(), SW_MAXIMIZE);
    Responsive(program);
    ::Sleep(200);
    RECT after = {};
    ::GetClientRect(program.Window(), &after);
    Check(after.right == before.right && after.bottom == before.bottom, "maximizing keeps the client size",
          Describe(after) + " was " + Describe(before));

    // Cancel pressed from the keyboard hides itself: the focus moves on.
    SetText1(program, Component("kvx_good.ocx"));
    Click(program, ControlId::cmdRegister);
    ExpectMode(program, true, "window faults: Register");
    TabTo(program, ControlId::cmdCancel, "window faults: Tab reaches Cancel");
    PressKey(VK_SPACE);
    ExpectMode(program, false, "window faults: Cancel");
    ExpectFocusOnVisible(program, "after Cancel from the keyboard");

    // Deactivated with the focus on Proceed, which is hidden meanwhile: the
    // focus must not come back to it.
    Click(program, ControlId::cmdRegister);
    ExpectMode(program, true, "window faults: Register again");
    TabTo(program, ControlId::cmdProceed, "window faults: Tab reaches Proceed");
    HWND other = ::CreateWindowExA(0, "STATIC", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                                   nullptr, nullptr, nullptr);
    ::SetForegroundWindow(other);
    WaitFor([&] { return ::GetForegroundWindow() == other; }, 2000);
    Click(program, ControlId::cmdCancel);
    ExpectMode(program, false, "window faults: Cancel while inactive");
    ::DestroyWindow(other);
    ::SetForegroundWindow(program.Window());
    Check(WaitFor([&] { return ::GetForegroundWindow() == program.Window(); }, 3000), "window faults: re-activated");
    Responsive(program);
    ExpectFocusOnVisible(program, "after re-activation");
    PressKey(VK_SPACE);  // must not press a hidden button
    ::Sleep(300);
    NoMessageBoxes(program, "window faults");
    Check(InNormalMode(program), "Space after re-activation presses no hidden button");
    CloseAndExpectEnd(program, "window faults");
}

struct BadInput {
    const char* what;
    std::string text;
    const char* message;  // the first message after Register
    const char* outcome;  // after Proceed, when confirmation mode opened
};

// Files in the program's folder, for "nothing written that should not be".
std::vector<std::string> FolderContents(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        names.emplace_back(found.cFileName);
    } while (::FindNextFileA(find, &found));
    ::FindClose(find);
    return names;
}

// One window takes a run of bad input: each text gives one of the
// program's own messages and leaves the window usable in normal mode.
void ScenarioBadInput() {
    const std::string dir = g_situation.exeDir;
    const std::string nonAscii = Component("kvx_\xE9t\xE9.ocx");  // "kvx_été.ocx" in the ANSI code page
    ::CopyFileA(Component("kvx_good.ocx").c_str(), nonAscii.c_str(), FALSE);
    const std::string empty = Component("kvx_empty.ocx");
    ::CloseHandle(::CreateFileA(empty.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    const std::vector<std::string> before = FolderContents(dir);

    const std::vector<BadInput> inputs = {
        {"empty", "", kNoPath, nullptr},
        {"spaces", "    ", kNoPath, nullptr},
        {"a tab", "\t", kNotFound, nullptr},
        {"the program's folder", dir, kNotFound, nullptr},
        {"a missing file", Component("missing.ocx"), kNotFound, nullptr},
        {"a text file", Component("kvx_text.ocx"), nullptr, kLoadFailure},
        {"an empty file", empty, nullptr, kLoadFailure},
        {"a PE without the exports", Component("kvx_noexports.dll"), nullptr, kNoEntryPoint},
        {"a program, not a library", Component("kalvex_e2e.exe"), nullptr, kNoEntryPoint},
        {"a failing component", Component("kvx_denied.ocx"), nullptr, kDenied},
        {"a path over 260 characters", dir + "\\" + std::string(300, 'a') + ".ocx", kNotFound, nullptr},
        {"CON", "CON", kNotFound, nullptr},
        {"NUL", "NUL", kNotFound, nullptr},
        {"quotes around a good path", "\"" + Component("kvx_good.ocx") + "\"", kNotFound, nullptr},
        {"a relative name", "kvx_no_such.ocx", kNotFound, nullptr},
        {"a trailing backslash", Component("kvx_good.ocx") + "\\", kNotFound, nullptr},
        {"wildcards", dir + "\\*.ocx", kNotFound, nullptr},
        {"question marks", dir + "\\kvx_goo?.ocx", kNotFound, nullptr},
        {"a drive alone", "C:", kNotFound, nullptr},
        {"a drive root", "C:\\", kNotFound, nullptr},
        {"a missing drive", "Q:\\x.ocx", kNotFound, nullptr},
        {"a control character", "\x01", kNotFound, nullptr},
        {"dots", "..", kNotFound, nullptr},
        {"a very long text", std::string(5000, 'x'), kNotFound, nullptr},
        {"forward slashes", dir + "/kvx_denied.ocx", nullptr, kDenied},
        {"a non-ASCII name", nonAscii, nullptr, kCompleted},
        {"the same, unregistered", nonAscii, nullptr, kCompleted},
        {"a slow component", Component("kvx_slow.ocx"), nullptr, kTimeOut},
        {"a good one after all that", Component("kvx_denied.ocx"), nullptr, kDenied},
    };

    Program program;
    if (!StartProgram(program, "bad input")) return;
    for (const BadInput& input : inputs) {
        const std::string what = "bad input " + std::string(input.what);
        SetText1(program, input.text);
        // The non-ASCII name is registered once, then unregistered.
        const bool unregister = std::string(input.what) == "the same, unregistered";
        Click(program, unregister ? ControlId::cmdUnregister : ControlId::cmdRegister);
        if (input.message != nullptr) {
            ExpectMessage(program, input.message, what);
        } else {
            ExpectMode(program, true, what);
            Click(program, ControlId::cmdProceed);
            ExpectMessage(program, "WWW", what + ": WWW");
            ExpectMessage(program, input.outcome, what + ": outcome", 15000);
        }
        Check(Responsive(program) && WaitFor([&] { return InNormalMode(program); }, 3000),
              what + ": back in normal mode and answering");
    }
    NoMessageBoxes(program, "bad input");

    // Nothing new in the program's folder, the slow component's markers and
    // our own copies aside.
    std::vector<std::string> after = FolderContents(dir);
    std::string added;
    for (const std::string& name : after) {
        bool known = name.rfind("kvx_slow.", 0) == 0;
        for (const std::string& old : before) known = known || old == name;
        if (!known) added += name + " ";
    }
    CheckEqual(added, "", "bad input wrote nothing into the program's folder");
    CloseAndExpectEnd(program, "bad input");
    ::DeleteFileA(nonAscii.c_str());
    ::DeleteFileA(empty.c_str());
}

// The program's open handles. Wine answers GetProcessHandleCount with 0, so
// where it does the count comes from the system's handle table instead.
DWORD HandleCount(const Program& program) {
    DWORD count = 0;
    if (::GetProcessHandleCount(program.Process(), &count) && count != 0) return count;
    struct Entry {
        ULONG pid;
        BYTE type;
        BYTE flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    struct Table {
        ULONG count;
        Entry entries[1];
    };
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    constexpr ULONG kSystemHandleInformation = 16;
    std::vector<char> buffer(1 << 22);
    ULONG length = 0;
    if (query == nullptr ||
        query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &length) != 0) {
        return 0;
    }
    const auto* table = reinterpret_cast<const Table*>(buffer.data());
    const DWORD pid = ::GetProcessId(program.Process());
    for (ULONG i = 0; i < table->count; ++i) count += table->entries[i].pid == pid ? 1 : 0;
    return count;
}

// Runs a button's click handler and returns when it has run (no message
// box). The button's own mouse handling is left out: it costs more under
// Wine than the handler itself.
void Press(const Program& program, ControlId id) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(program.Window(), WM_COMMAND, MAKEWPARAM(kalvex::ToInt(id), BN_CLICKED),
                          reinterpret_cast<LPARAM>(ControlOf(program, id)), SMTO_NORMAL, 5000, &result);
}

// Many file checks and registrations leave the program's handle count
// where it was.
void ScenarioNoHandleLeaks() {
    Program program;
    if (!StartProgram(program, "handles")) return;
    const std::string good = Component("kvx_good.ocx");
    SetText1(program, good);
    // Unregister opens the file, Register also reads its version; Cancel
    // goes back to normal mode.
    auto check = [&](ControlId button) {
        Press(program, button);
        Press(program, ControlId::cmdCancel);
    };
    check(ControlId::cmdRegister);
    RunThrough(program, ControlId::cmdRegister, good, kCompleted, "handles: warm-up");
    const DWORD start = HandleCount(program);
    Check(start > 0, "handle count readable", std::to_string(start));
    DWORD began = ::GetTickCount();
    for (int i = 0; i < 10000; ++i) check(ControlId::cmdUnregister);
    for (int i = 0; i < 100; ++i) check(ControlId::cmdRegister);
    std::printf("# 10000 file checks and 100 version reads: %lu ms\n",
                static_cast<unsigned long>(::GetTickCount() - began));
    Check(InNormalMode(program), "handles: the checks end in normal mode");
    CheckEqual(static_cast<long>(HandleCount(program)), static_cast<long>(start),
               "handles after 10000 file checks and 100 version reads");
    began = ::GetTickCount();
    for (int i = 0; i < 100; ++i) RunThrough(program, ControlId::cmdRegister, good, kCompleted, "handles: register");
    std::printf("# 100 registrations: %lu ms\n", static_cast<unsigned long>(::GetTickCount() - began));
    CheckEqual(static_cast<long>(HandleCount(program)), static_cast<long>(start), "handles after 100 registrations");
    RunThrough(program, ControlId::cmdUnregister, good, kCompleted, "handles: unregister");
    CloseAndExpectEnd(program, "handles");
}

}  // namespace

void RunGeneralScenarios() {
    for (void (*scenario)() : {ScenarioFlowByClicks, ScenarioFlowByKeyboard, ScenarioWindowFaults, ScenarioBadInput,
                               ScenarioNoHandleLeaks}) {
        const DWORD start = ::GetTickCount();
        scenario();
        std::printf("# took %lu ms\n", static_cast<unsigned long>(::GetTickCount() - start));
    }
}

}  // namespace e2e
