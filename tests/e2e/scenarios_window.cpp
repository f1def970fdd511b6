// Scenarios of the window itself: start-up, layout, keyboard, file list,
// the proposal of the default component, and the three ways to close.
#include <memory>
#include <string>
#include <vector>

#include "scenario_support.h"

namespace e2e {

using kalvex::ControlId;

namespace {

const char* const kTestComponents[] = {"kalvex-e2e-b.ocx", "kalvex-e2e-a.ocx"};
const char* const kFileSpecCaption = "File specification of OCX/DLL\r\n    e.g. c:\\Windows\\System\\mswinsck.ocx";

std::string VersionString(const std::string& file, const std::string& key) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(file.c_str(), &ignored);
    if (size == 0) return std::string();
    std::vector<char> block(size);
    if (!::GetFileVersionInfoA(file.c_str(), 0, size, block.data())) return std::string();
    char* value = nullptr;
    UINT length = 0;
    const std::string path = "\\StringFileInfo\\040904B0\\" + key;
    if (!::VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || value == nullptr) {
        return std::string();
    }
    return std::string(value);
}

void CheckProgramFile() {
    // Wine does not answer WM_GETICON across processes: look in the file.
    HMODULE image = ::LoadLibraryExA(g_situation.exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    Check(image != nullptr && ::FindResourceA(image, MAKEINTRESOURCEA(1), RT_GROUP_ICON) != nullptr,
          "program file carries its icon");
    if (image != nullptr) ::FreeLibrary(image);
    CheckEqual(VersionString(g_situation.exe, "CompanyName"), "The Kalvex developers", "version block: CompanyName");
    const std::string version = VersionString(g_situation.exe, "ProductVersion");
    Check(!version.empty() && version[0] >= '1' && version[0] <= '9', "version block: ProductVersion", version);
}

// Pixels at the display's dpi, rounded: 1440 twips make an inch.
long Px(long twips) { return (twips * g_situation.dpi + 720) / 1440; }

void CheckWindowFrame(const Program& program) {
    char title[64] = {};
    ::GetWindowTextA(program.Window(), title, sizeof(title));
    CheckEqual(title, "Kalvex", "window title");

    RECT client = {};
    ::GetClientRect(program.Window(), &client);
    CheckEqual(client.right, Px(6192), "client width in pixels");
    CheckEqual(client.bottom, Px(3816), "client height in pixels");

    const LONG style = ::GetWindowLongA(program.Window(), GWL_STYLE);
    Check((style & WS_SYSMENU) != 0, "window has a system menu and close box");
    Check((style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) == 0, "window has no minimize or maximize box");
    Check((style & WS_THICKFRAME) == 0, "window border is fixed");
}

// The window as it must look after start-up, written out here rather than
// taken from the program's own table.
struct ExpectedControl {
    const char* name;
    int id;
    const char* className;
    const char* caption;  // null: text1, whose content the scenario knows
    long left, top, width, height;
    bool shown;
    bool ownerDrawn;
};

const ExpectedControl kExpectedControls[] = {
    {"text1", 1000, "Edit", nullptr, 240, 4440, 5535, 315, true, false},
    {"lblOCXFileSpec", 1001, "Static", kFileSpecCaption, 360, 4200, 5508, 468, true, false},
    {"cmdRegister", 1002, "Button", "Register", 1560, 6720, 1215, 375, true, false},
    {"cmdUnregister", 1003, "Button", "Unregister", 3000, 6600, 1215, 375, true, false},
    {"cmdExit", 1004, "Button", "Exit", 5280, 6960, 1215, 375, true, false},
    {"lblFileInfo", 1005, "Static", "", 480, 4440, 5508, 528, true, false},
    {"lblPleaseVerify", 1006, "Static", "Please verify Product Version, if any:", 600, 5760, 2928, 228, false, false},
    {"cmdProceed", 1007, "Button", "Proceed", 1680, 7080, 1215, 375, false, true},
    {"cmdCancel", 1008, "Button", "Cancel", 3360, 7080, 1215, 375, false, true},
    {"File1", 1009, "ListBox", "", 2640, 5040, 2532, 2376, true, false},
    {"Command1(1)", 1010, "Button", "Register  mscomctl.ocx", 1680, 1920, 3012, 612, true, false},
    {"Label1(0)", 1011, "Static", "1", 600, 1080, 612, 612, true, false},
    {"Command1(0)", 1012, "Button", "UnRegister  mscomctl.ocx", 1680, 1080, 3012, 612, true, false},
    {"Label1(1)", 1013, "Static", "2", 600, 2040, 612, 612, true, false},
    {"Command2", 1014, "Button", "Close", 4800, 3120, 972, 372, true, false},
};

void CheckControlsInNormalMode(const Program& program, const std::string& expectedText1) {
    for (const ExpectedControl& want : kExpectedControls) {
        const std::string name = want.name;
        HWND control = program.Control(want.id);
        Check(control != nullptr, name + " exists");
        if (control == nullptr) continue;

        Check(lstrcmpiA(ClassOf(control).c_str(), want.className) == 0, name + " kind", ClassOf(control));

        const RECT actual = ClientRectOf(control);
        RECT expected;
        expected.left = Px(want.left);
        expected.top = Px(want.top);
        expected.right = expected.left + Px(want.width);
        expected.bottom = expected.top + Px(want.height);
        Check(EqualRect(&actual, &expected) != FALSE, name + " rectangle",
              "got " + Describe(actual) + ", want " + Describe(expected));

        CheckEqual(TextOf(control), want.caption != nullptr ? want.caption : expectedText1, name + " caption");
        const LONG style = ::GetWindowLongA(control, GWL_STYLE);
        Check(((style & WS_VISIBLE) != 0) == want.shown, name + (want.shown ? " shown" : " hidden"));
        Check(((style & BS_TYPEMASK) == BS_OWNERDRAW) == want.ownerDrawn || want.className[0] != 'B',
              name + (want.ownerDrawn ? " paints its own face" : " drawn by the system"));
        if (want.id == 1000) Check((style & ES_READONLY) == 0, "text1 editable in normal mode");
    }

    // The general section lies below the client area.
    RECT client = {};
    ::GetClientRect(program.Window(), &client);
    const RECT text1 = ClientRectOf(ControlOf(program, ControlId::text1));
    Check(text1.top >= client.bottom, "text1 lies below the client area");
}

// Start-up, layout, keyboard and file list, closed with "Close".
void ScenarioWindow() {
    Program program;
    if (!StartProgram(program, "window")) return;

    CheckWindowFrame(program);
    CheckProgramFile();
    CheckControlsInNormalMode(program, "");
    ExpectTabOrder(
        program,
        {ControlId::text1, ControlId::cmdRegister, ControlId::cmdUnregister, ControlId::cmdExit, ControlId::File1,
         ControlId::Command1_1, ControlId::Command1_0, ControlId::Command2, ControlId::text1},
        "tab order in normal mode");
    ExpectFocus(program, ControlId::text1, "focus on text1 at start");

    // The file list shows the system folder's components, sorted.
    HWND list = ControlOf(program, ControlId::File1);
    const std::vector<std::string> items = ListItems(list);
    bool listed = items.size() >= 2;
    for (const char* name : kTestComponents) {
        bool found = false;
        for (const std::string& item : items) found = found || lstrcmpiA(item.c_str(), name) == 0;
        listed = listed && found;
    }
    Check(listed, "file list shows the system folder's .ocx files");
    bool onlyOcx = true;
    for (const std::string& item : items) {
        onlyOcx = onlyOcx && item.size() > 4 && lstrcmpiA(item.c_str() + item.size() - 4, ".ocx") == 0;
    }
    Check(onlyOcx, "file list shows only .ocx files");

    // Typing into the out-of-view text box withdraws the version display.
    SetTextOf(ControlOf(program, ControlId::lblFileInfo), "Company Name:  Someone");
    ::ShowWindowAsync(ControlOf(program, ControlId::lblPleaseVerify), SW_SHOWNA);
    WaitFor([&] { return Visible(program, ControlId::lblPleaseVerify); }, 2000);
    TypeText("ab");
    Check(WaitFor([&] { return Text(program, ControlId::text1) == "ab"; }), "typed keys reach text1",
          Text(program, ControlId::text1));
    CheckEqual(Text(program, ControlId::lblFileInfo), "", "typing empties lblFileInfo");
    Check(!Visible(program, ControlId::lblPleaseVerify), "typing hides lblPleaseVerify");

    // Tab moves on along the tab order.
    PressKey(VK_TAB);
    ExpectFocus(program, ControlId::cmdRegister, "Tab moves the focus from text1 to cmdRegister");

    // A press on an entry copies folder\name into text1: a left press the
    // entry under it, a right press the current entry, whichever it is, and
    // with no current entry folder and separator.
    const LRESULT itemHeight = ::SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    const struct {
        const char* what;
        UINT down, up;
        WPARAM buttons;
        int selection;  // set before the press; -2 leaves it
        LRESULT y;
        std::string item;
    } presses[] = {
        {"left press copies folder\\name into text1", WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, -2,
         itemHeight + itemHeight / 2, items.size() >= 2 ? items[1] : ""},
        {"right press copies folder\\name into text1", WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, 0, itemHeight / 2,
         items.empty() ? "" : items[0]},
        {"press without a current entry gives folder\\", WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, -1, itemHeight / 2,
         ""},
    };
    for (const auto& press : presses) {
        if (items.size() < 2) break;
        if (press.selection != -2) ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(press.selection), 0);
        SetText1(program, "something else");
        const LPARAM at = MAKELPARAM(5, press.y);
        ::PostMessageA(list, press.down, press.buttons, at);
        ::PostMessageA(list, press.up, 0, at);
        const std::string want = g_situation.systemDir + "\\" + press.item;
        Check(WaitFor([&] { return lstrcmpiA(Text(program, ControlId::text1).c_str(), want.c_str()) == 0; }),
              press.what, Text(program, ControlId::text1) + " vs " + want);
    }

    NoMessageBoxes(program, "window");
    ::PostMessageA(ControlOf(program, ControlId::Command2), BM_CLICK, 0, 0);
    ExpectEndsWithZero(program, "Close");
}

// Exit and the close box end the program as Close does.
void ScenarioOtherWaysToClose() {
    const struct {
        const char* how;
        bool exitButton;
    } ways[] = {{"Exit", true}, {"WM_CLOSE", false}};
    for (const auto& way : ways) {
        Program program;
        if (!StartProgram(program, way.how)) continue;
        ::PostMessageA(way.exitButton ? ControlOf(program, ControlId::cmdExit) : program.Window(),
                       way.exitButton ? BM_CLICK : WM_CLOSE, 0, 0);
        ExpectEndsWithZero(program, way.how);
    }
}

void ScenarioDefaultComponent() {
    // The proposal is the copy in the 32-bit system folder: syswow64 on
    // 64-bit Windows, system32 on 32-bit Windows, whatever the program's build.
    const std::string component = g_situation.defaultFolder() + "\\mscomctl.ocx";
    {
        TempFile placed(component);
        Check(placed.ok(), "placed mscomctl.ocx in syswow64");
        Program program;
        if (StartProgram(program, "default component")) {
            CheckEqual(Text(program, ControlId::text1), component, "text1 proposes the default component");
            CheckEqual(Text(program, ControlId::lblFileInfo), "", "lblFileInfo empty after start-up");
            Check(!Visible(program, ControlId::lblPleaseVerify), "lblPleaseVerify hidden after start-up");
            NoMessageBoxes(program, "default component");
            CloseAndExpectEnd(program, "WM_CLOSE after the proposal");
        }
    }
    Check(::GetFileAttributesA(component.c_str()) == INVALID_FILE_ATTRIBUTES, "mscomctl.ocx removed again");
}

}  // namespace

void RunWindowScenarios() {
    // Components for the file list.
    std::vector<std::unique_ptr<TempFile>> components;
    for (const char* name : kTestComponents) {
        components.push_back(std::make_unique<TempFile>(g_situation.systemDir + "\\" + name));
    }
    ScenarioWindow();
    ScenarioOtherWaysToClose();
    ScenarioDefaultComponent();
}

void RunLayoutOnly() {
    Program program;
    if (StartProgram(program, "layout")) {
        CheckWindowFrame(program);
        CheckControlsInNormalMode(program, "");
        CloseAndExpectEnd(program, "WM_CLOSE");
    }
}

}  // namespace e2e
