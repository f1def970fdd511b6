// The window's handlers: what the user sees and what they leave behind.
#include "fake.h"

namespace kalvex::testing {
namespace {

const std::string kNoInfo = "(No Product Version available for this file)";

TEST_F(FormTest, StartUpProposesTheComponentInThe32BitSystemFolder) {
    const std::string w64 = "c:\\windows\\syswow64\\mscomctl.ocx", w32 = "c:\\windows\\system32\\mscomctl.ocx";
    struct Case {
        std::map<std::string, std::uint32_t> answers;
        std::set<std::string> fails;
        std::string existing, text1, listed;
    };
    const std::string sys = "C:\\Windows\\system32";
    const Case cases[] = {{{}, {}, w64, w64, sys},
                          {{{"arch", 6}}, {}, w32, "", sys},  // Itanium: SysWOW64
                          {{{"arch", 0}}, {}, w32, w32, sys},
                          {{{"arch", 12}}, {}, w64, w64, sys},  // ARM64: x86 files in SysWOW64 too
                          {{{"arch", 5}}, {}, w64, "", sys},
                          // A test that raises leaves start-up in its choice's first branch.
                          {{{"arch", 0}}, {"arch"}, w64, w64, sys},
                          {{{"arch", 0}}, {"dir"}, "", w32, sys},
                          {{}, {"sysdir"}, w64, w64, "none"},
                          {{{"sysdir", 0}}, {}, w64, w64, ""},
                          // A failed step is skipped, and start-up goes on.
                          {{}, {"lblOCXFileSpec", "list"}, w64, w64, "none"}};
    for (const Case& c : cases) {
        Window w(false);
        w.f.folder = "none";
        w.f.answers = c.answers;
        w.f.fails = c.fails;
        w.f.existing = {c.existing};
        w.form.Form_Load();
        EXPECT_EQ(w.f.texts[ControlId::text1], c.text1) << c.existing;
        EXPECT_EQ(w.f.folder, c.listed) << c.existing;
        EXPECT_EQ(w.f.Mode(), "normal");
        EXPECT_EQ(w.f.Take(), "");
    }
    EXPECT_EQ(f.texts[ControlId::lblOCXFileSpec],
              "File specification of OCX/DLL\r\n    e.g. c:\\Windows\\System\\mswinsck.ocx");
    EXPECT_EQ(f.Info(), "");
}

// Both read text1 untrimmed, make it absolute once ("." for no extension)
// and check that; Register shows that file's version.
TEST_F(FormTest, RegisterAndUnregisterCheckTheNameFirst) {
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
        w.f.existing = {"C:\\D\\ a ."};
        w.f.texts[ControlId::text1] = c.text1;
        (w.form.*c.press)();
        EXPECT_EQ(w.f.Take(), c.seen) << c.text1;
        EXPECT_EQ(w.f.Mode(), c.mode) << c.text1;
        EXPECT_EQ(w.f.Info(), c.info) << c.text1;
        EXPECT_EQ(w.f.versionPath, c.versionRead) << c.text1;
    }
}

// Proceed runs the latest confirmed press on the file that was checked and
// shown, whatever text1 and the current folder say by then; Cancel goes back.
TEST_F(FormTest, ProceedRunsWhatWasConfirmedAndCancelGoesBack) {
    f.existing = {"C:\\D\\a.", "C:\\b.ocx"};
    f.texts[ControlId::text1] = "a";
    form.cmdUnregister_Click();
    form.cmdCancel_Click();
    EXPECT_EQ(f.Mode(), "normal");
    form.cmdProceed_Click();  // nothing is pending any more
    EXPECT_EQ(f.Take(), "");
    form.cmdRegister_Click();
    f.currentFolder = "C:\\E";
    f.SetText(ControlId::text1, "C:\\b.ocx");  // replaced while confirming
    form.cmdProceed_Click();
    EXPECT_EQ(f.Take(), "msg WWW | load C:\\D\\a. | free 101 | msg Process completed");
    EXPECT_EQ(f.entryNames.back(), "DllRegisterServer");
    EXPECT_EQ(f.Mode(), "normal");
    EXPECT_EQ(f.Info(), "");

    form.cmdUnregister_Click();
    f.answers = {{"exitcode", 0x80004005}};
    form.cmdProceed_Click();
    EXPECT_EQ(f.Take(), "msg WWW | load C:\\b.ocx | free 102 | msg Process failed with error code 0x80004005.");
    EXPECT_EQ(f.entryNames.back(), "DllUnregisterServer");
    EXPECT_EQ(f.Mode(), "normal");

    // An outcome that cannot be told changes nothing else.
    form.cmdRegister_Click();
    f.fails = {"msg Process completed"};
    f.answers.clear();
    form.cmdProceed_Click();
    EXPECT_EQ(f.Mode(), "normal");
}

// A press on the list names its current entry in text1, in normal mode only:
// while a confirmation is pending, text1 is locked against the list too.
TEST_F(FormTest, AListPressFillsText1OnlyInNormalMode) {
    f.folder = "C:\\Windows\\system32";
    f.entries = {"x.ocx"};
    f.current = 0;
    f.existing = {"C:\\D\\a.ocx"};
    f.texts[ControlId::text1] = "a.ocx";
    form.cmdRegister_Click();
    form.File1_MouseDown();
    EXPECT_EQ(f.texts[ControlId::text1], "a.ocx");
    EXPECT_EQ(f.Mode(), "confirmation");
    EXPECT_EQ(f.Info(), kNoInfo);
    form.cmdCancel_Click();
    form.File1_MouseDown();
    EXPECT_EQ(f.texts[ControlId::text1], "C:\\Windows\\system32\\x.ocx");
    f.current = -1;  // no current entry: the folder alone
    form.File1_MouseDown();
    EXPECT_EQ(f.texts[ControlId::text1], "C:\\Windows\\system32\\");
    EXPECT_EQ(f.Take(), "");
}

const std::string kHint =
    "msg If not successful then \r\n\r\nrightclick on 'C:\\K\\register.bat\r\n\r\n and select 'Run as Adminstrator'";
// The command processor strips the outer quotes and runs the quoted batch
// file, whatever its folder's name holds.
std::string Launch(const std::string& path, const std::string& parameters) {
    return "launch runas C:\\Windows\\system32\\cmd.exe /C \"\"" + path + "\" " + parameters + "\" 1";
}

TEST_F(FormTest, NumberedButtonsWriteTheirBatchFileAndLaunchIt) {
    const std::string wow = "cd C:\\Windows\\SysWOW64", sys = "cd C:\\Windows\\System32";
    const std::string reg = "\r\nregsvr32 mscomctl.ocx\r\nregtlib msdatsrc.tlb\r\npause";
    struct Case {
        std::int16_t index;
        std::uint32_t architecture, adminAnswer;  // only the answer's low 16 bits count
        const char *programFolder, *arguments;
        std::string path, bytes, parameters;
    };
    const Case cases[] = {
        {0, 9, 0x10000, "C:\\K", "", "C:\\K\\unregister.bat", wow + "\r\nregsvr32 /u mscomctl.ocx\r\npause", "/admin"},
        {1, 0, 0x8000, "C:\\", "x", "C:\\\\register.bat", sys + reg, "x/admin"},  // a drive root: two separators
        {-1, 12, 0, "C:\\kalvex (1) R&D", "\"a b\" c", "C:\\kalvex (1) R&D\\register.bat", wow + reg,
         "\"a b\" c/admin"}};
    for (const Case& c : cases) {
        f.answers = {{"arch", c.architecture}, {"admin", c.adminAnswer}};
        f.appPath = c.programFolder;
        f.commandLine = c.arguments;
        form.Command1_Click(c.index);
        const std::string hint = "msg If not successful then \r\n\r\nrightclick on '" + c.path +
                                 "\r\n\r\n and select 'Run as Adminstrator' | ";
        EXPECT_EQ(f.Take(), ((c.adminAnswer & 0xFFFF) != 0 ? hint : "") + "write " + c.path + " | " +
                                Launch(c.path, c.parameters));
        EXPECT_EQ(f.written[c.path], c.bytes);
    }
}

// Events are processed while a press runs: a second press there runs to its
// end first, and each writes its own file. No file is open meanwhile.
TEST_F(FormTest, APressWhileAnotherRunsRunsToItsEndFirst) {
    const std::string outer = "write C:\\K\\register.bat", outerLaunch = Launch("C:\\K\\register.bat", "/admin");
    const std::string inner = "write C:\\K\\unregister.bat | " + Launch("C:\\K\\unregister.bat", "/admin");
    const std::string innerFirst = inner + " | " + outer + " | " + outerLaunch;
    const std::string innerBetween = outer + " | " + inner + " | " + outerLaunch;
    f.answers = {{"admin", 0}};
    for (int point = 1; point <= 5; ++point) {
        int seen = 0;
        f.onEvents = [&] {
            if (++seen == point) form.Command1_Click(0);
        };
        form.Command1_Click(1);
        EXPECT_EQ(f.Take(), point <= 2 ? innerFirst : innerBetween) << point;
    }
}

TEST_F(FormTest, ABatchFileNotWrittenIsNotLaunched) {
    f.fails = {"write"};
    form.Command1_Click(1);
    EXPECT_EQ(f.Take(), kHint + " | msg C:\\K\\register.bat Access is denied.");
    // Without the system folder there is no command processor to start.
    f.fails.clear();
    f.answers = {{"sysdir", 0}, {"admin", 0}};
    form.Command1_Click(1);
    EXPECT_EQ(f.Take(),
              "write C:\\K\\register.bat | msg The command processor was not found; the batch file was not started.");
}

}  // namespace
}  // namespace kalvex::testing
