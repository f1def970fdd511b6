// The window's handlers: what the user sees and what they leave behind.
#include "fake.h"

namespace kalvex::testing {
namespace {

const std::string kNoInfo = "(No Product Version available for this file)";

// Start-up proposes mscomctl.ocx in the 32-bit system folder when it is
// there; a step that fails is skipped, and a test that fails leaves start-up
// in its choice's first branch.
TEST(StartUp, ProposesTheComponentQuirkAFailedTestTakesItsFirstBranch) {
    const std::string w64 = "c:\\windows\\syswow64\\mscomctl.ocx", w32 = "c:\\windows\\system32\\mscomctl.ocx";
    const std::string sys = "C:\\Windows\\system32";
    struct Case {
        std::uint16_t architecture;
        std::string there, text1, listed;
        void (*spoil)(Window&);
    };
    const auto keep = [](Window&) {};
    const Case cases[] = {
        {9, w64, w64, sys, keep},
        {6, w32, "", sys, keep},  // Itanium: SysWOW64
        {0, w32, w32, sys, keep},
        {12, w64, w64, sys, keep},  // ARM64: x86 files in SysWOW64 too
        {5, w64, "", sys, keep},
        {0, w64, w64, sys, [](Window& w) { w.system.architectureFails = true; }},
        {0, "", w32, sys, [](Window& w) { w.toolkit.fileTestFails = true; }},
        {9, w64, w64, "none", [](Window& w) { w.system.directoryFails = true; }},
        {9, w64, w64, "", [](Window& w) { w.system.directory.clear(); }},
        {9, w64, w64, "none", [](Window& w) { w.controls.captionFails = w.controls.listFails = true; }}};
    for (const Case& c : cases) {
        Window w;
        w.system.architecture = c.architecture;
        w.toolkit.files = {c.there};
        c.spoil(w);
        w.form.Form_Load();
        EXPECT_EQ(w.controls.texts[ControlId::text1] + " | " + w.controls.folder + " | " + w.controls.Mode() +
                      w.controls.Info() + w.seen.Take(),
                  c.text1 + " | " + c.listed + " | normal")
            << c.there;
    }
    Window w;
    w.form.Form_Load();
    EXPECT_EQ(w.controls.texts[ControlId::lblOCXFileSpec],
              "File specification of OCX/DLL\r\n    e.g. c:\\Windows\\System\\mswinsck.ocx");
}

// Both read text1 untrimmed, make it absolute once ("." for no extension)
// and check that; Register shows that file's company and product version,
// or that it has none (no block, a read that fails, no product version).
TEST(Confirmation, RegisterAndUnregisterCheckTheNameFirst) {
    const auto reg = &frmKalvex::cmdRegister_Click, unreg = &frmKalvex::cmdUnregister_Click;
    const Bytes found = Block().N("CompanyName", "Acme").N("ProductVersion", "1.2").b;
    struct Case {
        void (frmKalvex::*press)();
        const char* text1;
        Bytes block;
        std::string seen, mode, info, versionRead;
        void (*spoil)(FakeVersion&);
    };
    const auto keep = [](FakeVersion&) {};
    const std::string shown = "Company Name:  ACME\r\nProduct Version:  1.2 + please verify";
    const Case cases[] = {
        {reg, "\t", found, "msg File not found", "normal", "", "", keep},
        {reg, " a ", found, "", "confirmation", shown, "C:\\D\\ a .", keep},
        {reg, " a ", {}, "", "confirmation", kNoInfo, "C:\\D\\ a .", keep},
        {reg, " a ", found, "", "confirmation", kNoInfo, "C:\\D\\ a .", [](FakeVersion& v) { v.unreadable = true; }},
        {reg, " a ", found, "", "confirmation", kNoInfo, "", [](FakeVersion& v) { v.openFails = true; }},
        {reg, " a ", Block().N("CompanyName", "New").b, "", "confirmation", kNoInfo, "C:\\D\\ a .", keep},
        {unreg, "b", found, "msg File not found", "normal", "", "", keep},
        {unreg, "   ", found, "msg No path and filename yet", "normal", "", "", keep},
        {unreg, " a ", found, "", "confirmation", "", "", keep},
        {reg, "", found, "msg No path and filename yet", "normal", "", "", keep}};
    for (const Case& c : cases) {
        Window w;
        w.version.image.block = c.block;
        c.spoil(w.version);
        w.StartWith(c.text1, "C:\\D\\ a .");
        (w.form.*c.press)();
        EXPECT_EQ(w.seen.Take() + " | " + w.controls.Mode() + " " + w.controls.Info() + " | " + w.version.readPath,
                  c.seen + " | " + c.mode + " " + c.info + " | " + c.versionRead)
            << c.text1;
    }
}

// Proceed runs the latest confirmed press on the file that was checked and
// shown, whatever text1 and the current folder say by then; Cancel goes back.
// While a confirmation is pending, text1 is locked against the file list
// too; in normal mode a press there names the list's current entry.
TEST_F(FormTest, ProceedRunsWhatWasConfirmedAndCancelGoesBack) {
    StartWith("a", "C:\\D\\a.");
    system.files.insert("C:\\E\\a.");
    controls.entries = {"x.ocx"};
    controls.current = 0;
    form.cmdUnregister_Click();
    form.cmdCancel_Click();
    EXPECT_EQ(controls.Mode(), "normal");
    form.cmdProceed_Click();  // nothing is pending any more
    EXPECT_EQ(seen.Take(), "");
    form.cmdRegister_Click();
    form.File1_MouseDown();
    EXPECT_EQ(controls.texts[ControlId::text1] + " " + controls.Mode() + " " + controls.Info(),
              "a confirmation " + kNoInfo);
    system.currentFolder = "C:\\E";
    form.cmdProceed_Click();
    EXPECT_EQ(seen.Take(), "msg WWW | load C:\\D\\a. | free 101 | msg Process completed");
    EXPECT_EQ(modules.entryNames.back(), "DllRegisterServer");
    EXPECT_EQ(controls.Mode() + " " + controls.Info(), "normal ");

    form.cmdUnregister_Click();
    controls.SetText(ControlId::text1, "C:\\b.ocx");  // replaced while confirming
    modules.exitCode = 0x80004005;
    form.cmdProceed_Click();
    EXPECT_EQ(seen.Take(), "msg WWW | load C:\\E\\a. | free 102 | msg Process failed with error code 0x80004005.");
    EXPECT_EQ(modules.entryNames.back(), "DllUnregisterServer");
    form.File1_MouseDown();
    EXPECT_EQ(controls.texts[ControlId::text1], "C:\\Windows\\system32\\x.ocx");

    // An outcome that cannot be told changes nothing else.
    system.files.insert("C:\\Windows\\system32\\x.ocx");
    form.cmdRegister_Click();
    toolkit.failingMessage = "Process failed with error code 0x80004005.";
    form.cmdProceed_Click();
    EXPECT_EQ(controls.Mode(), "normal");
}

// While the "WWW" notice is up the window's events run: whatever a Cancel,
// another Proceed or a new Register does there, Proceed afterwards runs only
// the confirmation that is still the one the user confirmed, once.
TEST_F(FormTest, ProceedRunsOnlyWhatIsStillPendingAfterTheNotice) {
    struct Case {
        const char* during;       // what happens while the notice is up
        void (*act)(frmKalvex&);  // done then
        std::string seen;         // what the user sees from the press of Proceed on
        std::string mode;         // the window's mode afterwards
    };
    const Case cases[] = {
        {"Cancel", [](frmKalvex& f) { f.cmdCancel_Click(); }, "msg WWW", "normal"},
        {"Cancel, then Register",
         [](frmKalvex& f) {
             f.cmdCancel_Click();
             f.cmdRegister_Click();
         },
         "msg WWW", "confirmation"},
        {"Register again", [](frmKalvex& f) { f.cmdRegister_Click(); }, "msg WWW", "confirmation"},
        {"Proceed", [](frmKalvex& f) { f.cmdProceed_Click(); },
         "msg WWW | msg WWW | load C:\\D\\a. | free 101 | msg Process completed", "normal"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.during);
        StartWith("a", "C:\\D\\a.");
        form.cmdUnregister_Click();
        bool first = true;
        toolkit.onMessage = [&](const std::string& text) {
            if (text == "WWW" && std::exchange(first, false)) c.act(form);
        };
        form.cmdProceed_Click();
        toolkit.onMessage = nullptr;
        EXPECT_EQ(seen.Take(), c.seen);
        EXPECT_EQ(controls.Mode(), c.mode);
        form.cmdCancel_Click();
    }
}

const std::string kSysWow64Register =
    "cd C:\\Windows\\SysWOW64\r\nregsvr32 mscomctl.ocx\r\nregtlib msdatsrc.tlb\r\npause";
const std::string kSystem32Register =
    "cd C:\\Windows\\System32\r\nregsvr32 mscomctl.ocx\r\nregtlib msdatsrc.tlb\r\npause";

const std::string kRefused =
    "The batch file was not started.\r\n\r\nKalvex's command line or its folder's name holds a line break, a null "
    "character or (in the folder's name) a quotation mark, which the command processor cannot take as plain text. "
    "Start Kalvex without them, or run the batch file by hand as administrator.";

// The command processor strips the outer quotes and runs the quoted batch
// file, whatever its folder's name holds (rules_test.cpp has the quoting).
std::string Launch(const std::string& path, const std::string& parameters) {
    return "launch runas C:\\Windows\\system32\\cmd.exe /e:ON /v:OFF /d /c \"\"" + path + "\" " + parameters + "\" 1";
}

// A numbered button writes its batch file beside the program and launches it;
// one that could not be written is not launched, and nothing is launched
// without the system folder's command processor or with arguments that
// cannot be passed on as data.
TEST(NumberedButtons, WriteAndLaunchTheirBatchFileQuirkADriveRootGetsTwoSeparators) {
    const std::string k = "C:\\K\\register.bat", rd = "C:\\kalvex (1) R&D\\register.bat";
    struct Case {
        std::int16_t index;
        std::uint16_t architecture;
        std::uint32_t adminAnswer;  // only its low 16 bits count
        const char *programFolder, *arguments;
        std::string seen, path, bytes;
        void (*spoil)(Window&);
    };
    const auto keep = [](Window&) {};
    const Case cases[] = {
        {0, 9, 0x10000, "C:\\K", "", "write C:\\K\\unregister.bat | " + Launch("C:\\K\\unregister.bat", "/admin"),
         "C:\\K\\unregister.bat", "cd C:\\Windows\\SysWOW64\r\nregsvr32 /u mscomctl.ocx\r\npause", keep},
        {1, 0, 0x8000, "C:\\", "x",  // a drive root: two separators
         "msg If not successful then \r\n\r\nrightclick on 'C:\\\\register.bat\r\n\r\n and select 'Run as "
         "Adminstrator' | write C:\\\\register.bat | " +
             Launch("C:\\\\register.bat", "x/admin"),
         "C:\\\\register.bat", kSystem32Register, keep},
        {-1, 12, 1, "C:\\kalvex (1) R&D", "\"a b\" c",
         "msg If not successful then \r\n\r\nrightclick on 'C:\\kalvex (1) R&D\\register.bat\r\n\r\n and select "
         "'Run as Adminstrator' | write " +
             rd + " | " + Launch(rd, "\"a b\" c/admin"),
         rd, kSysWow64Register, keep},
        {1, 9, 0, "C:\\K", "", "msg C:\\K\\register.bat Access is denied.", k, "",
         [](Window& w) { w.files.fails = true; }},
        {1, 9, 0, "C:\\K", "",
         "write " + k + " | msg The command processor was not found; the batch file was not started.", k,
         kSysWow64Register, [](Window& w) { w.system.directory.clear(); }},
        {1, 9, 0, "C:\\K", "a\nb", "write " + k + " | msg " + kRefused, k, kSysWow64Register, keep}};
    for (const Case& c : cases) {
        Window w;
        w.form.Form_Load();
        w.system.architecture = c.architecture;
        w.shell.adminAnswer = c.adminAnswer;
        w.toolkit.programFolder = c.programFolder;
        w.toolkit.arguments = c.arguments;
        c.spoil(w);
        w.form.Command1_Click(c.index);
        EXPECT_EQ(w.seen.Take() + " | " + w.files.written[c.path], c.seen + " | " + c.bytes);
    }
}

// Events are processed while a press runs, before the file is written and
// before it is launched: a second press there runs whole, and both files are
// written and launched. Closing the window there ends the press: nothing
// more is written or launched.
TEST_F(FormTest, PressesAndClosingWhileAPressProcessesEvents) {
    form.Form_Load();
    shell.adminAnswer = 0;
    const std::string outer = "write C:\\K\\register.bat", outerLaunch = Launch("C:\\K\\register.bat", "/admin");
    const std::string inner = "write C:\\K\\unregister.bat | " + Launch("C:\\K\\unregister.bat", "/admin");
    const std::pair<int, std::string> cases[] = {{1, inner + " | " + outer + " | " + outerLaunch},
                                                 {2, outer + " | " + inner + " | " + outerLaunch},
                                                 {-1, ""},
                                                 {-2, outer}};  // closing
    for (const auto& [at, want] : cases) {
        int events = 0;
        toolkit.onPendingEvents = [&, at = at] {
            if (++events == at) form.Command1_Click(0);
            if (events == -at) throw WindowClosed{};
        };
        try {
            form.Command1_Click(1);
        } catch (const WindowClosed&) {
            EXPECT_LT(at, 0);
        }
        EXPECT_EQ(seen.Take(), want) << at;
        EXPECT_EQ(files.written["C:\\K\\register.bat"], at != -1 ? kSysWow64Register : "") << at;
        files.written.clear();
    }
}

}  // namespace
}  // namespace kalvex::testing
