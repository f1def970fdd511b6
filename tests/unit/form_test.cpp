// The window's handlers, seen through the journal of the fake.
#include "fake.h"

namespace kalvex::testing {
namespace {

const std::string kNormal =
    "show cmdRegister | show cmdUnregister | show cmdExit | hide cmdProceed | hide cmdCancel | unlock text1";
const std::string kConfirm =
    "hide cmdRegister | hide cmdUnregister | hide cmdExit | show cmdProceed | show cmdCancel | lock text1";
const std::string kChange = "hide lblPleaseVerify | lblFileInfo=";

TEST_F(FormTest, StartUpProposesTheComponentInThe32BitSystemFolder) {
    const std::string w64 = "c:\\windows\\syswow64\\mscomctl.ocx", w32 = "c:\\windows\\system32\\mscomctl.ocx";
    const std::string spec =
        "lblOCXFileSpec=File specification of OCX/DLL\r\n    e.g. c:\\Windows\\System\\mswinsck.ocx";
    const std::string head = spec + " | hide lblPleaseVerify | " + kNormal + " | sysdir 260 | ";
    const std::string list = "list C:\\Windows\\system32 | arch | dir ";
    const std::string set64 = w64 + " 0 | text1=" + w64 + " | " + kChange,
                      set32 = w32 + " 0 | text1=" + w32 + " | " + kChange;
    struct Case {
        std::map<std::string, std::uint32_t> answers;
        std::vector<std::string> fails;
        std::string existingFile;
        std::string journal;
    };
    const Case cases[] = {{{}, {}, w64, head + list + set64},
                          {{{"arch", 6}}, {}, "", head + list + w64 + " 0"},
                          {{{"arch", 0}}, {}, w32, head + list + set32},
                          // x86 system files lie in SysWOW64 on ARM64 Windows as well.
                          {{{"arch", 12}}, {}, w64, head + list + set64},
                          {{{"arch", 5}}, {}, w64, head + list + w32 + " 0"},
                          // A test that raises leaves start-up in its choice's first branch.
                          {{{"arch", 0}}, {"arch"}, w64, head + list + set64},
                          {{{"arch", 0}}, {"dir"}, "", head + list + set32},
                          {{}, {"sysdir"}, "", head + "arch | dir " + w64 + " 0"},
                          {{{"sysdir", 0}}, {}, "", head + "list  | arch | dir " + w64 + " 0"},
                          {{},
                           {"lblOCXFileSpec", "show cmdRegister"},
                           w64,
                           spec + " | hide lblPleaseVerify | show cmdRegister | sysdir 260 | " + list + set64}};
    for (const Case& c : cases) {
        f.answers = c.answers;
        f.fails = c.fails;
        f.files = {c.existingFile};
        form.Form_Load();
        EXPECT_EQ(f.Take(), c.journal);
    }
    EXPECT_EQ(form.RegisterMode(), kFalse);
}

// A list press joins folder and entry with a backslash, even after a root folder's own.
TEST_F(FormTest, FileListPressJoinsFolderAndEntry) {
    f.folder = "C:\\";
    f.index = 1;
    f.items = {{1, "a.ocx"}};
    form.File1_MouseDown(1, 0, 1, 2);
    EXPECT_EQ(f.Take(), "text1=C:\\\\a.ocx | " + kChange);
}

TEST_F(FormTest, CloseAndExitUnloadAndUnloadEnds) {
    EXPECT_TRUE(form.Click(ControlId::Command2));
    EXPECT_TRUE(form.Click(ControlId::cmdExit));
    form.Form_Unload();
    EXPECT_EQ(f.Take(), "unload | unload | end");
}

TEST_F(FormTest, RegisterAndUnregisterCheckTheNameFirst) {
    const std::string found = "can open  a  | ", noPath = "msg No path and filename yet";
    // The version is read from the name as the check resolved it.
    const std::string version =
        "full  a  | size C:\\D\\ a . | hide lblPleaseVerify | "
        "lblFileInfo=(No Product Version available for this file)";
    const auto reg = &frmKalvex::cmdRegister_Click, unreg = &frmKalvex::cmdUnregister_Click;
    struct Case {
        void (frmKalvex::*press)();
        const char* text1;
        std::string journal;
        VbBool registerModeAfter;
    };
    const Case cases[] = {{reg, "\t", "can open \t | msg File not found", kFalse},
                          {reg, " a ", found + version + " | " + kConfirm, kTrue},
                          {unreg, "b", "can open b | msg File not found", kTrue},
                          {unreg, "   ", noPath, kTrue},
                          {unreg, " a ", found + kConfirm, kFalse},
                          {reg, "", noPath, kFalse}};
    f.files = {" a "};
    for (const Case& c : cases) {
        f.text1 = c.text1;
        (form.*c.press)();
        EXPECT_EQ(f.Take(), c.journal);
        EXPECT_EQ(form.RegisterMode(), c.registerModeAfter) << c.journal;
    }
}

TEST_F(FormTest, ProceedRunsTheLatestConfirmedPressOnText1) {
    const std::string failed = " | pointer 0 | msg Process failed in obtaining entry point or creating thread. | free ";
    f.files = {"a"};
    f.answers = {{"entry", 0}};
    f.text1 = "a";
    form.cmdUnregister_Click();
    f.Take();
    form.cmdCancel_Click();
    EXPECT_EQ(f.Take(), kChange + " | " + kNormal);
    EXPECT_EQ(form.RegisterMode(), kFalse);
    form.cmdRegister_Click();
    f.Take();
    form.cmdProceed_Click();
    EXPECT_EQ(f.Take(), "msg WWW | full a | load C:\\D\\a. | entry 101 DllRegisterServer" + failed + "101 | " +
                            kChange + " | " + kNormal);
    // A text replaced while confirming is taken as it is.
    form.cmdUnregister_Click();
    f.SetText(ControlId::text1, "C:\\b.ocx");
    f.Take();
    form.cmdProceed_Click();
    EXPECT_EQ(f.Take(), "msg WWW | full C:\\b.ocx | load C:\\b.ocx | entry 102 DllUnregisterServer" + failed +
                            "102 | " + kNormal);
    // A name that cannot be made absolute is loaded as given.
    f.text1 = "a";
    form.cmdRegister_Click();
    f.answers["full"] = 0;
    f.Take();
    form.cmdProceed_Click();
    EXPECT_EQ(f.Take().substr(0, 40), "msg WWW | full a | load a. | entry 103 D");
}

TEST_F(FormTest, NumberedButtonsWriteTheirBatchFileAndLaunchIt) {
    form.Form_Load();
    const std::string wow = "cd C:\\Windows\\SysWOW64", sys = "cd C:\\Windows\\System32";
    const std::string reg = "\r\nregsvr32 mscomctl.ocx\r\nregtlib msdatsrc.tlb\r\npause";
    const std::string unreg = "\r\nregsvr32 /u mscomctl.ocx\r\npause";
    const std::string hint =
        "msg If not successful then \r\n\r\nrightclick on 'C:\\\\register.bat\r\n\r\n and select 'Run as Adminstrator' "
        "| ";
    const auto press = [](const std::string& shown, const std::string& path, const std::string& bytes,
                          const std::string& parameters) {
        // The command processor strips the outer quotes and runs the quoted
        // batch file, whatever its folder's name holds.
        return "admin | " + shown + "arch | events | events | open 1 " + path + " | write 1 " + bytes +
               " | close 1 | events | events | events | sysdir 260 | shell runas C:\\Windows\\system32\\cmd.exe /C "
               "\"\"" +
               path + "\" " + parameters + "\" 1";
    };
    struct Case {
        std::int16_t index;
        std::uint32_t architecture;
        std::uint32_t adminAnswer;
        const char* programFolder;
        const char* arguments;
        std::string journal;
    };
    const Case cases[] = {{0, 9, 0x10000, "C:\\K", "", press("", "C:\\K\\unregister.bat", wow + unreg, "/admin")},
                          {1, 0, 0x8000, "C:\\", "x", press(hint, "C:\\\\register.bat", sys + reg, "x/admin")},
                          {1, 9, 0, "C:\\kalvex (1) R&D", "\"a b\" c",
                           press("", "C:\\kalvex (1) R&D\\register.bat", wow + reg, "\"a b\" c/admin")},
                          {-1, 12, 0x10000, "C:\\K", "", press("", "C:\\K\\register.bat", wow + reg, "/admin")}};
    for (const Case& c : cases) {
        f.answers = {{"arch", c.architecture}, {"admin", c.adminAnswer}};
        f.appPath = c.programFolder;
        f.commandLine = c.arguments;
        f.Take();
        form.Command1_Click(c.index);
        EXPECT_EQ(f.Take(), c.journal);
    }
    // A press at any event point of another runs to its end first.
    for (int point = 1; point <= 5; ++point) {
        int seen = 0;
        f.onEvents = [&] {
            if (++seen == point) form.Command1_Click(0);
        };
        form.Command1_Click(1);
        std::string nested = cases[3].journal;
        std::size_t at = 0;
        for (int i = 0; i < point; ++i) at = nested.find("events", at) + 6;
        EXPECT_EQ(f.Take(), nested.insert(at, " | " + cases[0].journal)) << point;
    }
}

TEST_F(FormTest, AFailedWriteIsReportedOnceAndNotLaunched) {
    form.Form_Load();
    const std::string open = "admin | arch | events | events | open 1 C:\\K\\unregister.bat | ";
    const std::string report = "msg C:\\K\\unregister.bat Access is denied. | ";
    f.Take();
    f.fails = {"open"};
    form.Command1_Click(0);
    EXPECT_EQ(f.Take(), open + report + "events | events | events");
    form.Savetext("D:\\x.txt", "abc");
    EXPECT_EQ(f.Take(), "events | events | open 1 D:\\x.txt | msg D:\\x.txt Access is denied. | events");
    f.fails = {"write"};
    form.Command1_Click(0);
    EXPECT_EQ(f.Take(), open + "write 1 cd C:\\Windows\\SysWOW64\r\nregsvr32 /u mscomctl.ocx\r\npause | " + report +
                            "close 1 | events | events | events");
    // Without the system folder there is no command processor to start.
    f.fails.clear();
    f.answers = {{"sysdir", 0}};
    form.Command1_Click(0);
    EXPECT_EQ(f.Take().substr(open.size()),
              "write 1 cd C:\\Windows\\SysWOW64\r\nregsvr32 /u mscomctl.ocx\r\npause | close 1 | "
              "events | events | events | sysdir 260 | msg The command processor was not "
              "found; the batch file was not started.");
}

}  // namespace
}  // namespace kalvex::testing
