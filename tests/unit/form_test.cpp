// The window's handlers: what the user sees and what they leave behind.
#include "fake.h"

namespace kalvex::testing {
namespace {

const std::string kNoInfo = "(No Product Version available for this file)";

// Start-up proposes mscomctl.ocx in the 32-bit system folder when it is
// there; a step that fails is skipped, and a test that fails leaves start-up
// in its choice's first branch.
TEST(StartUp, ProposesTheComponentInThe32BitSystemFolder) {
    const std::string w64 = "c:\\windows\\syswow64\\mscomctl.ocx", w32 = "c:\\windows\\system32\\mscomctl.ocx";
    const std::string sys = "C:\\Windows\\system32";
    struct Case {
        std::uint16_t architecture;
        std::string there, text1, listed;
        void (*spoil)(Window&);
    };
    const auto keep = [](Window&) {};
    const Case cases[] = {{9, w64, w64, sys, keep},
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
        EXPECT_EQ(w.controls.texts[ControlId::text1], c.text1) << c.there;
        EXPECT_EQ(w.controls.folder, c.listed) << c.there;
        EXPECT_EQ(w.controls.Mode(), "normal");
        EXPECT_EQ(w.controls.Info(), "");
        EXPECT_EQ(w.seen.Take(), "");
    }
    Window w;
    w.form.Form_Load();
    EXPECT_EQ(w.controls.texts[ControlId::lblOCXFileSpec],
              "File specification of OCX/DLL\r\n    e.g. c:\\Windows\\System\\mswinsck.ocx");
}

// Both read text1 untrimmed, make it absolute once ("." for no extension)
// and check that; Register shows that file's version.
TEST(Confirmation, RegisterAndUnregisterCheckTheNameFirst) {
    const auto reg = &frmKalvex::cmdRegister_Click, unreg = &frmKalvex::cmdUnregister_Click;
    struct Case {
        void (frmKalvex::*press)();
        const char* text1;
        std::string seen, mode, info, versionRead;
    };
    const Case cases[] = {{reg, "\t", "msg File not found", "normal", "", ""},
                          {reg, " a ", "", "confirmation", kNoInfo, "C:\\D\\ a ."},
                          {reg, "C:\\D\\ a .", "", "confirmation", kNoInfo, "C:\\D\\ a ."},
                          {unreg, "b", "msg File not found", "normal", "", ""},
                          {unreg, "   ", "msg No path and filename yet", "normal", "", ""},
                          {unreg, " a ", "", "confirmation", "", ""},
                          {reg, "", "msg No path and filename yet", "normal", "", ""}};
    for (const Case& c : cases) {
        Window w;
        w.StartWith(c.text1, "C:\\D\\ a .");
        (w.form.*c.press)();
        EXPECT_EQ(w.seen.Take(), c.seen) << c.text1;
        EXPECT_EQ(w.controls.Mode(), c.mode) << c.text1;
        EXPECT_EQ(w.controls.Info(), c.info) << c.text1;
        EXPECT_EQ(w.version.readPath, c.versionRead) << c.text1;
    }
}

// Proceed runs the latest confirmed press on the file that was checked and
// shown, whatever text1 and the current folder say by then; Cancel goes back.
TEST_F(FormTest, ProceedRunsWhatWasConfirmedAndCancelGoesBack) {
    StartWith("a", "C:\\D\\a.");
    system.files.insert("C:\\b.ocx");
    form.cmdUnregister_Click();
    form.cmdCancel_Click();
    EXPECT_EQ(controls.Mode(), "normal");
    form.cmdProceed_Click();  // nothing is pending any more
    EXPECT_EQ(seen.Take(), "");
    form.cmdRegister_Click();
    system.currentFolder = "C:\\E";
    controls.SetText(ControlId::text1, "C:\\b.ocx");  // replaced while confirming
    form.cmdProceed_Click();
    EXPECT_EQ(seen.Take(), "msg WWW | load C:\\D\\a. | free 101 | msg Process completed");
    EXPECT_EQ(modules.entryNames.back(), "DllRegisterServer");
    EXPECT_EQ(controls.Mode(), "normal");
    EXPECT_EQ(controls.Info(), "");

    form.cmdUnregister_Click();
    modules.exitCode = 0x80004005;
    form.cmdProceed_Click();
    EXPECT_EQ(seen.Take(), "msg WWW | load C:\\b.ocx | free 102 | msg Process failed with error code 0x80004005.");
    EXPECT_EQ(modules.entryNames.back(), "DllUnregisterServer");
    EXPECT_EQ(controls.Mode(), "normal");

    // An outcome that cannot be told changes nothing else.
    form.cmdRegister_Click();
    toolkit.failingMessage = "Process failed with error code 0x80004005.";
    form.cmdProceed_Click();
    EXPECT_EQ(controls.Mode(), "normal");
}

// A press on the list names its current entry in text1, in normal mode only:
// while a confirmation is pending, text1 is locked against the list too.
TEST_F(FormTest, AListPressFillsText1OnlyInNormalMode) {
    StartWith("a.ocx", "C:\\D\\a.ocx");
    controls.entries = {"x.ocx"};
    controls.current = 0;
    form.cmdRegister_Click();
    form.File1_MouseDown();
    EXPECT_EQ(controls.texts[ControlId::text1], "a.ocx");
    EXPECT_EQ(controls.Mode(), "confirmation");
    EXPECT_EQ(controls.Info(), kNoInfo);
    form.cmdCancel_Click();
    form.File1_MouseDown();
    EXPECT_EQ(controls.texts[ControlId::text1], "C:\\Windows\\system32\\x.ocx");
    controls.current = -1;  // no current entry: the folder alone
    form.File1_MouseDown();
    EXPECT_EQ(controls.texts[ControlId::text1], "C:\\Windows\\system32\\");
    EXPECT_EQ(seen.Take(), "");
}

// The command processor strips the outer quotes and runs the quoted batch
// file, whatever its folder's name holds.
std::string Launch(const std::string& path, const std::string& parameters) {
    return "launch runas C:\\Windows\\system32\\cmd.exe /C \"\"" + path + "\" " + parameters + "\" 1";
}

TEST_F(FormTest, NumberedButtonsWriteTheirBatchFileAndLaunchIt) {
    form.Form_Load();
    const std::string wow = "cd C:\\Windows\\SysWOW64", sys = "cd C:\\Windows\\System32";
    const std::string reg = "\r\nregsvr32 mscomctl.ocx\r\nregtlib msdatsrc.tlb\r\npause";
    struct Case {
        std::int16_t index;
        std::uint16_t architecture;
        std::uint32_t adminAnswer;  // only its low 16 bits count
        const char *programFolder, *arguments;
        std::string hint, path, bytes, parameters;
    };
    const Case cases[] = {
        {0, 9, 0x10000, "C:\\K", "", "", "C:\\K\\unregister.bat", wow + "\r\nregsvr32 /u mscomctl.ocx\r\npause",
         "/admin"},
        {1, 0, 0x8000, "C:\\", "x",
         "msg If not successful then \r\n\r\nrightclick on 'C:\\\\register.bat\r\n\r\n and select 'Run as Adminstrator' | ",
         "C:\\\\register.bat", sys + reg, "x/admin"},  // a drive root: two separators
        {-1, 12, 1, "C:\\kalvex (1) R&D", "\"a b\" c",
         "msg If not successful then \r\n\r\nrightclick on 'C:\\kalvex (1) R&D\\register.bat\r\n\r\n and select 'Run as "
         "Adminstrator' | ",
         "C:\\kalvex (1) R&D\\register.bat", wow + reg, "\"a b\" c/admin"}};
    for (const Case& c : cases) {
        system.architecture = c.architecture;
        shell.adminAnswer = c.adminAnswer;
        toolkit.programFolder = c.programFolder;
        toolkit.arguments = c.arguments;
        form.Command1_Click(c.index);
        EXPECT_EQ(seen.Take(), c.hint + "write " + c.path + " | " + Launch(c.path, c.parameters));
        EXPECT_EQ(files.written[c.path], c.bytes);
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
    struct Case {
        int at;  // the events processed at which something happens
        bool closes;
        std::string seen;
    };
    const Case cases[] = {{1, false, inner + " | " + outer + " | " + outerLaunch},
                          {2, false, outer + " | " + inner + " | " + outerLaunch},
                          {1, true, ""},
                          {2, true, outer}};
    for (const Case& c : cases) {
        int events = 0;
        toolkit.onPendingEvents = [&] {
            if (++events != c.at) return;
            if (c.closes) throw WindowClosed{};
            form.Command1_Click(0);
        };
        try {
            form.Command1_Click(1);
        } catch (const WindowClosed&) {
            EXPECT_TRUE(c.closes);
        }
        EXPECT_EQ(seen.Take(), c.seen) << c.at << (c.closes ? " closing" : " pressing");
        if (!c.closes) {
            EXPECT_EQ(files.written["C:\\K\\register.bat"],
                      "cd C:\\Windows\\SysWOW64\r\nregsvr32 mscomctl.ocx\r\nregtlib msdatsrc.tlb\r\npause");
        }
    }
}

TEST_F(FormTest, ABatchFileNotWrittenIsNotLaunched) {
    form.Form_Load();
    files.fails = true;
    form.Command1_Click(1);
    EXPECT_EQ(seen.Take(), "msg If not successful then \r\n\r\nrightclick on 'C:\\K\\register.bat\r\n\r\n and select "
                           "'Run as Adminstrator' | msg C:\\K\\register.bat Access is denied.");
    // Without the system folder there is no command processor to start.
    files.fails = false;
    system.directory.clear();
    shell.adminAnswer = 0;
    form.Command1_Click(1);
    EXPECT_EQ(seen.Take(),
              "write C:\\K\\register.bat | msg The command processor was not found; the batch file was not started.");
}

}  // namespace
}  // namespace kalvex::testing
