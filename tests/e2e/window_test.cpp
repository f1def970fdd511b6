// The window, with mscomctl.ocx in the 32-bit system folder and two more .ocx files in the system
// folder: maximizing, the file list, the keyboard, the flows of the general section, refused names,
// the slow component, the handle counts and closing. Each test starts a program of its own, so they
// run in any order.
#include <winternl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "scenario.h"

namespace e2e {

namespace {

// The names matching `pattern`, in upper case, sorted.
std::vector<std::string> Listing(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA(pattern.c_str(), &found);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(find, &found))
        names.push_back(Upper(found.cFileName));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

const std::string kProposal = "\\mscomctl.ocx";

class Window : public testing::Test {
protected:
    static std::vector<std::string> Placed() {
        const std::string sys = g_situation.systemDir;
        return {sys + "\\kalvex-e2e-a.ocx", sys + "\\kalvex-e2e-b.ocx", System32() + kProposal};
    }
    static void SetUpTestSuite() {
        for (const std::string& file : Placed()) Place(file, "not a real component");
    }
    static void TearDownTestSuite() {
        for (const std::string& file : Placed()) ::DeleteFileA(file.c_str());
    }
    void SetUp() override { ASSERT_TRUE(app.Launch()) << "kalvex.exe did not start"; }

    Kalvex app;
    const std::string dir = g_situation.exeDir, sys = g_situation.systemDir, good = Component("kvx_good.ocx");
};

// Where the window is, moved by (dx, dy), its size, and whether it is maximized.
std::string Placement(HWND window, int dx = 0, int dy = 0) {
    RECT r = {};
    ::GetWindowRect(window, &r);
    return "at " + std::to_string(r.left + dx) + "," + std::to_string(r.top + dy) + " size " +
           std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top) +
           (::IsZoomed(window) ? " maximized" : " normal");
}

// At the start text1 proposes mscomctl.ocx and has the focus, and the list holds the system folder's
// .ocx files.
TEST_F(Window, StartsWithTheProposalBesideTheSystemFoldersOcxFiles) {
    std::vector<std::string> entries = app.Entries();
    for (std::string& entry : entries) entry = Upper(entry);
    EXPECT_EQ(entries, Listing(sys + "\\*.ocx"));
    EXPECT_SOON(app.Text1(), (g_situation.windows64 ? "c:\\windows\\syswow64" : "c:\\windows\\system32") + kProposal);
    EXPECT_SOON(app.Focus(), C::text1);
    EXPECT_EQ(app.TabOrder(), "1000 1002 1003 1004 1009 1010 1012 1014 1000");
}

// Maximized by its system menu or by another program, the window stays a normal window of its one
// size at its place, and can still be moved.
TEST_F(Window, KeepsItsSizeAndPlaceWhenMaximized) {
    const std::string before = Placement(app.window), moved = Placement(app.window, 40, 30);
    ::SendMessageA(app.window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_SOON(Placement(app.window), before);
    ::ShowWindow(app.window, SW_MAXIMIZE);
    EXPECT_SOON(Placement(app.window), before);
    ExpectLayout(app);
    app.DragByTitleBar(40, 30);
    EXPECT_SOON(Placement(app.window), moved);
}

// Typed in, then Register pressed with Enter: it hides itself and the focus moves on to Proceed,
// which Space presses; Enter closes "WWW". Having written nothing into its folder, the program ends
// by Close.
TEST_F(Window, RegistersFromTheKeyboardAndClosesHavingWrittenNothing) {
    const std::vector<std::string> before = Listing(dir + "\\*");
    app.Write("");
    app.Type(good);
    EXPECT_SOON(app.Text1(), good);
    EXPECT_TRUE(app.TabTo(C::cmdRegister));
    app.Keys({VK_RETURN});
    EXPECT_SOON(app.Screen(), kVersion);
    EXPECT_SOON(app.Focus(), C::cmdProceed);
    app.Keys({VK_SPACE});
    EXPECT_EQ(app.AnswerWithEnter(), "WWW");
    EXPECT_EQ(app.Answer(), kCompleted);
    EXPECT_SOON(app.Screen(), "normal []");
    EXPECT_SOON(app.FocusOnShownControl(), true);
    EXPECT_SOON(GoodServer(), Upper(good));
    EXPECT_EQ(app.Outcome(C::cmdUnregister, good), kCompleted);
    EXPECT_SOON(GoodServer(), "");
    EXPECT_EQ(Listing(dir + "\\*"), before);
    EXPECT_EQ(app.Close(C::Command2), kExited);
}

// A left press takes the entry, a right press with no current entry the folder alone; arrow keys in
// the list leave text1 as it is. In confirmation mode a press changes nothing: text1, the version
// display and the buttons stay, and Proceed registers the file confirmed.
TEST_F(Window, ListPressesFillText1InNormalModeOnlyQuirkNoEntryGivesTheFolder) {
    app.PressEntry(1);
    EXPECT_SOON(app.Text1(), sys + "\\" + app.Entry(1));
    ::SendMessageA(app.Control(C::File1), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    app.PressEntry(0, true);
    EXPECT_SOON(app.Text1(), sys + "\\");
    EXPECT_TRUE(app.TabTo(C::File1));
    app.Keys({VK_DOWN, VK_DOWN, VK_TAB});
    EXPECT_SOON(app.Focus(), C::Command1_1);
    EXPECT_SOON(app.Text1(), sys + "\\");
    EXPECT_EQ(app.Confirm(C::cmdRegister, good), kVersion);
    app.PressEntry(0);
    EXPECT_EQ(app.Screen(), kVersion);
    EXPECT_EQ(app.Text1(), good);
    EXPECT_EQ(app.Proceed(), kCompleted);
    EXPECT_SOON(GoodServer(), Upper(good));
    EXPECT_EQ(app.Outcome(C::cmdUnregister, good), kCompleted);
}

// Deactivated with the focus on Proceed, which Cancel hides meanwhile: back in front, the focus is
// on a shown control, and Space presses no hidden button.
TEST_F(Window, SpaceAfterReactivationPressesNoHiddenButton) {
    EXPECT_EQ(app.Confirm(C::cmdRegister, Component("kvx_text.ocx")), kNoVersion);
    EXPECT_TRUE(app.TabTo(C::cmdProceed));
    HWND other =
        ::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 99, 99, nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(BringToFront(other));
    app.Click(C::cmdCancel);
    EXPECT_SOON(app.Screen(), "normal []");
    EXPECT_TRUE(BringToFront(app.window));
    EXPECT_SOON(app.FocusOnShownControl(), true);
    app.Keys({VK_SPACE});
    EXPECT_EQ(app.Answer(1000), "");
    EXPECT_SOON(app.Screen(), "normal []");
    ::DestroyWindow(other);
}

// Names that the file system resolves to no file to register (the unit tests have the blank
// ones), and the messages they get.
TEST_F(Window, RefusesOddNames) {
    const std::string tooLong = dir + "\\" + std::string(300, 'a') + ".ocx";  // over MAX_PATH
    const std::string notFound = "File not found";
    const std::pair<std::string, std::string> cases[] = {{dir, notFound},
                                                         {dir + "\\.", notFound},
                                                         {"CON", notFound},
                                                         {"NUL", notFound},
                                                         {dir + "\\*.ocx", notFound},
                                                         {good + "\\", notFound},
                                                         {"\"" + good + "\"", notFound},
                                                         {tooLong, notFound}};
    for (const auto& [odd, message] : cases) {
        app.Write(odd);
        app.Click(C::cmdRegister);
        EXPECT_EQ(app.BackToNormal(app.Answer()), message) << odd;
    }
}

// The program's open handles, counted in the system's handle table, whose entries begin with the
// owner's process id (Wine answers GetProcessHandleCount with 0).
DWORD HandleCount(const Kalvex& app) {
    std::vector<char> table(1 << 22);  // room for 170000 handles
    ULONG size = 0, entries = 0, pid = 0, count = 0;
    if (::NtQuerySystemInformation(SystemHandleInformation, table.data(), 1 << 22, &size) != 0) return 0;
    std::memcpy(&entries, table.data(), sizeof(entries));
    for (ULONG i = 0; i < entries; ++i) {
        std::memcpy(&pid, table.data() + sizeof(void*) + i * (2 * sizeof(void*) + 8), sizeof(pid));
        count += pid == app.Id() ? 1 : 0;
    }
    return count;
}

// A Cancel pressed while the "WWW" notice is up (a posted click, as automation or a screen reader
// presses) ends the confirmation: Proceed then runs nothing, and the window is back in normal mode.
TEST_F(Window, ACancelDuringTheNoticeLeavesNothingToProceed) {
    const std::string copy = Component("kvx_good a longer name than fifteen bytes.ocx");
    ::CopyFileA(good.c_str(), copy.c_str(), FALSE);
    EXPECT_EQ(app.Confirm(C::cmdRegister, copy), kVersion);
    app.Click(C::cmdProceed);
    ASSERT_NE(app.WaitForBox(), nullptr);
    app.Click(C::cmdCancel);
    EXPECT_SOON(app.Mode(), "normal");
    EXPECT_EQ(app.Answer(), "WWW");
    EXPECT_EQ(app.Answer(3000), "") << "an outcome for what was cancelled";
    EXPECT_EQ(GoodServer(), "");
    ::DeleteFileA(copy.c_str());
}

// While a component registers (kvx_busy takes 3 s and meanwhile asks its process's windows to
// close) the session may not end, and what the window was given meanwhile, Enter typed and the
// close request, is dropped: the outcome's box stays until it is answered, and the program goes on.
// Afterwards the session may end again.
TEST_F(Window, WhileAComponentRegistersNothingTakesItsOutcomeAway) {
    const std::string busy = Component("kvx_busy."), key = kClasses + "{3A8C5E21-D94B-4F76-B0E2-7C1D6A9F4B53}";
    const auto sessionMayEnd = [&] {
        DWORD_PTR answer = 0;
        ::SendMessageTimeoutA(app.window, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer);
        return answer != 0;
    };
    app.Confirm(C::cmdRegister, busy + "ocx");
    app.Click(C::cmdProceed);
    EXPECT_EQ(app.Answer(), "WWW");
    ASSERT_TRUE(WaitFor([&] { return Exists(busy + "started"); }, 5000));
    EXPECT_FALSE(sessionMayEnd()) << "while the component registers";
    app.Keys({VK_RETURN});
    HWND box = app.WaitForBox();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(WaitFor([&] { return !::IsWindowVisible(box); }, 1000)) << "the outcome's box went by itself";
    EXPECT_TRUE(sessionMayEnd()) << "once it has registered";
    EXPECT_EQ(app.BackToNormal(app.Answer()), kCompleted);
    EXPECT_NE(RegText(key + "\\InprocServer32"), "");
    EXPECT_EQ(app.Outcome(C::cmdUnregister, busy + "ocx"), kCompleted);
    EXPECT_EQ(app.Close(), kExited);
    ::DeleteFileA((busy + "started").c_str());
}

// File checks, version reads and registrations leave the handle count exactly where it was: a handle
// lost by any one of them shows. The checks run the handlers by WM_COMMAND: the buttons' mouse
// handling costs more under Wine.
TEST_F(Window, LeaksNoHandles) {
    constexpr int kChecks = 200, kVersionReads = 20, kRegistrations = 20;
    ASSERT_EQ(app.Outcome(C::cmdRegister, good), kCompleted);
    const DWORD start = HandleCount(app);
    ASSERT_NE(start, 0u) << "no handle count";
    for (int i = 0; i < 2 * (kChecks + kVersionReads); ++i) {
        const C id = i % 2 != 0 ? C::cmdCancel : i < 2 * kChecks ? C::cmdUnregister : C::cmdRegister;
        if (!::SendMessageTimeoutA(app.window, WM_COMMAND, MAKEWPARAM(kalvex::ToInt(id), BN_CLICKED),
                                   reinterpret_cast<LPARAM>(app.Control(id)), SMTO_NORMAL, 5000, nullptr))
            break;  // a box came up, or the program hangs: the checks below tell
    }
    EXPECT_EQ(app.Mode(), "normal");
    EXPECT_EQ(HandleCount(app), start) << "after " << kChecks + kVersionReads << " file checks and " << kVersionReads
                                       << " version reads";
    for (int i = 0; i < kRegistrations; ++i)
        ASSERT_EQ(app.Outcome(C::cmdRegister, good), kCompleted) << "registration " << i;
    EXPECT_EQ(HandleCount(app), start) << "after " << kRegistrations << " registrations";
    EXPECT_EQ(app.Outcome(C::cmdUnregister, good), kCompleted);
}

}  // namespace

}  // namespace e2e
