// One window, started once with mscomctl.ocx in the 32-bit system folder and two more .ocx files in
// the system folder, takes maximizing, the file list, the keyboard, the flows of the general
// section, refused names, the slow component and the handle counts; Close ends it. The tests run in
// the order written, each going on from where the one before left the window.
#include <winternl.h>

#include <algorithm>
#include <cstring>
#include <memory>
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
        before_ = Listing(g_situation.exeDir + "\\*");
        app_ = std::make_unique<Kalvex>();
        app_->Launch();
    }
    static void TearDownTestSuite() {
        app_.reset();
        for (const std::string& file : Placed()) ::DeleteFileA(file.c_str());
    }
    void SetUp() override { ASSERT_NE(app.Mode(), "not answering") << "kalvex.exe did not start or stopped answering"; }

    static inline std::unique_ptr<Kalvex> app_;
    static inline std::vector<std::string> before_;  // the program's folder before it started
    Kalvex& app = *app_;
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

// Moves the window as a person does: the mouse goes down on the title bar, moves by (dx, dy) and
// comes up.
void DragByTitleBar(HWND window, int dx, int dy) {
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

// At the start text1 proposes mscomctl.ocx and has the focus, and the list holds the system folder's
// .ocx files. Then text1 is emptied.
TEST_F(Window, StartsWithTheProposalBesideTheSystemFoldersOcxFiles) {
    std::vector<std::string> entries = app.Entries();
    for (std::string& entry : entries) entry = Upper(entry);
    EXPECT_EQ(entries, Listing(sys + "\\*.ocx"));
    EXPECT_SOON(app.Text1(), (g_situation.windows64 ? "c:\\windows\\syswow64" : "c:\\windows\\system32") + kProposal);
    EXPECT_SOON(app.Focus(), C::text1);
    EXPECT_EQ(app.TabOrder(), "1000 1002 1003 1004 1009 1010 1012 1014 1000");
    app.Write("");
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
    DragByTitleBar(app.window, 40, 30);
    EXPECT_SOON(Placement(app.window), moved);
}

TEST_F(Window, ProgramFileCarriesItsIconAndVersionBlock) {
    HMODULE image = ::LoadLibraryExA(g_situation.exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    EXPECT_NE(::FindResourceA(image, MAKEINTRESOURCEA(1), RT_GROUP_ICON), nullptr);
    ::FreeLibrary(image);
    char block[16384] = {}, *company = nullptr;
    UINT length = 0;
    ::GetFileVersionInfoA(g_situation.exe.c_str(), 0, sizeof(block), block);
    ::VerQueryValueA(block, "\\StringFileInfo\\040904B0\\CompanyName", reinterpret_cast<void**>(&company), &length);
    EXPECT_STREQ(company, "The Kalvex developers");
}

// Typed in, then Register pressed with Enter: it hides itself and the focus moves on to Proceed,
// which Space presses; Enter closes "WWW".
TEST_F(Window, RegistersFromTheKeyboard) {
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
}

// A left press takes the entry, a right press with no current entry the folder alone; arrow keys in
// the list leave text1 as it is. In confirmation mode a press changes nothing: text1, the version
// display and the buttons stay, and Proceed registers the file confirmed.
TEST_F(Window, ListPressesFillText1InNormalModeOnly) {
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

// Names that name no file to register, and the messages they get.
TEST_F(Window, RefusesOddNames) {
    const std::string tooLong = dir + "\\" + std::string(300, 'a') + ".ocx";  // over MAX_PATH
    const std::string none = "No path and filename yet", notFound = "File not found";
    const std::pair<std::string, std::string> cases[] = {{"   ", none},
                                                         {"\t", notFound},
                                                         {dir, notFound},
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

// kvx_slow outlasts the program's 10 s wait. It stays loaded while its worker runs and after it has
// finished, until the next engine call (a refusing component, named with a forward slash). Its
// markers tell when it started, finished and was unloaded.
TEST_F(Window, SlowComponentTimesOutAndStaysLoadedUntilTheNextEngineCall) {
    const std::string slow = Component("kvx_slow.");
    app.Confirm(C::cmdRegister, slow + "ocx");
    app.Click(C::cmdProceed);
    EXPECT_EQ(app.Answer(), "WWW");
    WaitFor([&] { return Exists(slow + "started"); }, 5000);
    const DWORD start = ::GetTickCount();
    const DWORD elapsed = app.WaitForBox(15000) != nullptr ? ::GetTickCount() - start : 0;
    EXPECT_FALSE(Exists(slow + "unloaded")) << "its worker still runs in it";
    EXPECT_TRUE(elapsed >= 9500 && elapsed <= 12000) << "its message " << elapsed << " ms after its worker started";
    EXPECT_EQ(app.Answer(), "Process failed in signaled state or time-out.");
    EXPECT_SOON(app.Mode(), "normal");
    EXPECT_TRUE(WaitFor([&] { return Exists(slow + "finished"); }, 6000)) << "its worker finishes";
    EXPECT_FALSE(WaitFor([&] { return Exists(slow + "unloaded"); }, 1000)) << "and it stays loaded";
    EXPECT_EQ(app.Outcome(C::cmdRegister, dir + "/kvx_denied.ocx"), kDenied);
    EXPECT_TRUE(WaitFor([&] { return Exists(slow + "unloaded"); }, 3000)) << "the next engine call unloads it";
    for (const char* marker : {"started", "finished", "unloaded"}) ::DeleteFileA((slow + marker).c_str());
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

// Having written nothing into its folder, the program ends by Close.
TEST_F(Window, ClosesWithClose) {
    EXPECT_EQ(Listing(dir + "\\*"), before_);
    EXPECT_EQ(app.Close(C::Command2), kExited);
}

}  // namespace

}  // namespace e2e
