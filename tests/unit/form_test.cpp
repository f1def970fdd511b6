// The window's handlers: what the user sees and what they leave behind.
#include "fake.h"
#include "fake_diagnosis.h"

namespace kalvex::testing {
namespace {

const std::string kNoInfo = "(No Product Version available for this file)";

// Start-up points the list at the system folder and proposes mscomctl.ocx
// in the 32-bit system folder when it is there; a step that fails is skipped.
TEST(StartUp, ProposesTheComponentInThe32BitSystemFolder) {
    const std::string w64 = "c:\\windows\\syswow64\\mscomctl.ocx", w32 = "c:\\windows\\system32\\mscomctl.ocx";
    const std::string sys = "C:\\Windows\\system32";
    struct Case {
        const char* what;
        std::uint16_t architecture;
        std::string there;   // the one copy of the component
        std::string text1;   // proposed
        std::string listed;  // the list's folder ("none": never set)
        void (*spoil)(Window&);
    };
    const auto keep = [](Window&) {};
    const Case cases[] = {{"x64", 9, w64, w64, sys, keep},
                          {"Itanium: SysWOW64", 6, w32, "", sys, keep},
                          {"ARM64: x86 files in SysWOW64 too", 12, w64, w64, sys, keep},
                          {"x86", 0, w32, w32, sys, keep},
                          {"ARM, a 32-bit Windows", 5, w64, "", sys, keep},
                          {"no system folder", 9, w64, w64, "none", [](Window& w) { w.system.directory.clear(); }},
                          {"the caption and the list refused", 9, w64, w64, "none", [](Window& w) {
                               w.controls.captionFails = true;
                               w.controls.listFails = true;
                           }}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Window w;
        w.system.architecture = c.architecture;
        w.system.files = {c.there};
        c.spoil(w);
        w.form.Form_Load();
        EXPECT_EQ(w.controls.texts[ControlId::text1], c.text1);
        EXPECT_EQ(w.controls.folder, c.listed);
        EXPECT_EQ(w.controls.Mode(), "normal");
        EXPECT_EQ(w.seen.Take(), "");  // a step that fails says nothing
    }
    Window w;
    w.form.Form_Load();
    EXPECT_EQ(w.controls.texts[ControlId::lblOCXFileSpec],
              "File specification of OCX/DLL\r\n    e.g. c:\\Windows\\System\\mswinsck.ocx");
    EXPECT_FALSE(w.controls.Shows(ControlId::lblPleaseVerify));
}

// Both read text1 untrimmed, make it absolute once ("." for no extension)
// and check that, or refuse it with a message.
TEST(Confirmation, RegisterAndUnregisterCheckTheNameFirst) {
    struct Case {
        void (frmKalvex::*press)();
        const char* text1;
        std::string message;  // "" where the name passes
    };
    const Case cases[] = {{&frmKalvex::cmdRegister_Click, "\t", "File not found"},  // a tab is no blank
                          {&frmKalvex::cmdUnregister_Click, "b", "File not found"},
                          {&frmKalvex::cmdUnregister_Click, "   ", "No path and filename yet"},
                          {&frmKalvex::cmdUnregister_Click, " a ", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text1);
        Window w;
        w.StartWith(c.text1, "C:\\D\\ a .");
        (w.form.*c.press)();
        EXPECT_EQ(w.seen.Take(), c.message.empty() ? "" : "msg " + c.message);
        EXPECT_EQ(w.controls.Mode(), c.message.empty() ? "confirmation" : "normal");
        EXPECT_EQ(w.controls.texts[ControlId::lblFileInfo], "");
        EXPECT_EQ(w.version.readPath, "");  // only Register reads the version
    }
}

// Register shows the checked file's company and product version, or that it
// has none: a file that cannot be read, or one without a product version
// (version_test.cpp has the read itself).
TEST(Confirmation, RegisterShowsWhatTheFileSays) {
    const Bytes found = Block().N("CompanyName", "Acme").N("ProductVersion", "1.2").b;
    struct Case {
        const char* what;
        Bytes block;
        bool unreadable;
        std::string info;  // lblFileInfo's text
        bool verify;       // whether lblPleaseVerify shows
    };
    const Case cases[] = {
        {"company and product version", found, false, "Company Name:  ACME\r\nProduct Version:  1.2", true},
        {"a file that cannot be read", found, true, kNoInfo, false},
        {"no product version", Block().N("CompanyName", "New").b, false, kNoInfo, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Window w;
        w.version.image.version.block = c.block;
        w.version.unreadable = c.unreadable;
        w.StartWith(" a ", "C:\\D\\ a .");
        w.form.cmdRegister_Click();
        EXPECT_EQ(w.seen.Take(), "");
        EXPECT_EQ(w.controls.Mode(), "confirmation");
        EXPECT_EQ(w.controls.texts[ControlId::lblFileInfo], c.info);
        EXPECT_EQ(w.controls.Shows(ControlId::lblPleaseVerify), c.verify);
        EXPECT_EQ(w.version.readPath, "C:\\D\\ a .");
    }
}

// Proceed runs the latest confirmed press on the file that was checked and
// shown, whatever text1 and the current folder say by then; Cancel goes back.
// In normal mode a press on the file list names its current entry (the
// end-to-end tests press it while a confirmation is pending too).
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
    EXPECT_EQ(controls.Mode(), "confirmation");
    EXPECT_EQ(controls.texts[ControlId::lblFileInfo], kNoInfo);
    system.currentFolder = "C:\\E";
    form.cmdProceed_Click();
    EXPECT_EQ(seen.Take(), "msg WWW | load C:\\D\\a. | free 101 | msg Process completed");
    EXPECT_EQ(controls.Mode(), "normal");
    EXPECT_EQ(controls.texts[ControlId::lblFileInfo], "");

    form.cmdUnregister_Click();
    controls.SetText(ControlId::text1, "C:\\b.ocx");  // replaced while confirming
    modules.exitCode = 0x80004005;
    form.cmdProceed_Click();
    EXPECT_EQ(seen.Take(), "msg WWW | load C:\\E\\a. | free 102 | msg Process failed with error code 0x80004005.");
    form.File1_MouseDown();
    EXPECT_EQ(controls.texts[ControlId::text1], "C:\\Windows\\system32\\x.ocx");
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

// Where the machine's classes are refused for want of rights that Kalvex
// runs without, the outcome asks whether to do the same for this user only:
// Yes does it and tells that outcome, No ends as before. Run elevated, the
// outcome is told as it always was.
TEST_F(FormTest, ARefusalForWantOfRightsOffersThisUserOnly) {
    const std::string refused = "msg WWW | load C:\\D\\a. | free 101 | ";
    const std::string denied = "Process failed with error code 0x80070005.\r\n\r\n";
    const std::string offer =
        "Register a for this user only? The programs you run will find it; programs run as administrator and other "
        "users will not.";
    const std::string again = " | load C:\\D\\a. | map | free 101 | unmap | msg Process completed\r\n\r\n";
    enum class Rights { Limited, Elevated };
    enum class Answer { Yes, No };
    struct Case {
        RegistrationAction action;
        Rights rights;
        Answer answer;
        std::string seen;
    };
    const Case cases[] = {
        {RegistrationAction::Register, Rights::Limited, Answer::Yes,
         refused + "ask " + denied + offer + again + "Registered for this user only."},
        {RegistrationAction::Unregister, Rights::Limited, Answer::Yes,
         refused + "ask " + denied +
             "Unregister a for this user only? This removes what registering it for this user wrote." + again +
             "Unregistered for this user only."},
        {RegistrationAction::Register, Rights::Limited, Answer::No, refused + "ask " + denied + offer},
        {RegistrationAction::Register, Rights::Elevated, Answer::Yes,
         refused + "msg Process failed with error code 0x80070005."},
    };
    FakeDiagnosis diagnosis;
    modules.diagnosis = &diagnosis;
    modules.refusesMachine = true;
    StartWith("a", "C:\\D\\a.");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seen);
        diagnosis.elevated = c.rights == Rights::Elevated;
        toolkit.yes = c.answer == Answer::Yes;
        if (c.action == RegistrationAction::Register) {
            form.cmdRegister_Click();
        } else {
            form.cmdUnregister_Click();
        }
        form.cmdProceed_Click();
        EXPECT_EQ(seen.Take(), c.seen);
        EXPECT_EQ(controls.Mode(), "normal");
    }
}

// A batch file: into the system folder `folder`, its tools, and a pause.
std::string Batch(const std::string& folder, const std::string& tools) {
    return "cd C:\\Windows\\" + folder + "\r\n" + tools + "\r\npause";
}
const std::string kRegisterTools = "regsvr32 mscomctl.ocx\r\nregtlib msdatsrc.tlb";

// The hint shown first where the shell's administrator test says yes.
std::string Hint(const std::string& path) {
    return "msg If not successful then \r\n\r\nrightclick on '" + path + "\r\n\r\n and select 'Run as Adminstrator'";
}

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
    const std::string k = "C:\\K\\register.bat", root = "C:\\\\register.bat", rd = "C:\\kalvex (1) R&D\\register.bat";
    struct Case {
        const char* what;
        std::int16_t index;
        std::uint16_t architecture;
        std::uint32_t adminAnswer;  // only its low 16 bits count
        const char *programFolder, *arguments;
        std::string seen;
        std::string path, bytes;  // the batch file, and its bytes afterwards
        void (*spoil)(Window&);
    };
    const auto keep = [](Window&) {};
    const Case cases[] = {{"Unregister; an answer in the high bits is no", 0, 9, 0x10000, "C:\\K", "",
                           "write C:\\K\\unregister.bat | " + Launch("C:\\K\\unregister.bat", "/admin"),
                           "C:\\K\\unregister.bat", Batch("SysWOW64", "regsvr32 /u mscomctl.ocx"), keep},
                          {"a drive root: two separators", 1, 0, 0x8000, "C:\\", "x",
                           Hint(root) + " | write " + root + " | " + Launch(root, "x/admin"), root,
                           Batch("System32", kRegisterTools), keep},
                          {"any nonzero index registers", -1, 12, 1, "C:\\kalvex (1) R&D", "\"a b\" c",
                           Hint(rd) + " | write " + rd + " | " + Launch(rd, "\"a b\" c/admin"), rd,
                           Batch("SysWOW64", kRegisterTools), keep},
                          {"the write fails", 1, 9, 0, "C:\\K", "", "msg C:\\K\\register.bat Access is denied.", k, "",
                           [](Window& w) { w.files.fails = true; }},
                          {"no system folder", 1, 9, 0, "C:\\K", "",
                           "write " + k + " | msg The command processor was not found; the batch file was not started.",
                           k, Batch("SysWOW64", kRegisterTools), [](Window& w) { w.system.directory.clear(); }},
                          {"a line break in the arguments", 1, 9, 0, "C:\\K", "a\nb",
                           "write " + k + " | msg " + kRefused, k, Batch("SysWOW64", kRegisterTools), keep}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Window w;
        w.form.Form_Load();
        w.system.architecture = c.architecture;
        w.shell.adminAnswer = c.adminAnswer;
        w.toolkit.programFolder = c.programFolder;
        w.toolkit.arguments = c.arguments;
        c.spoil(w);
        w.form.Command1_Click(c.index);
        EXPECT_EQ(w.seen.Take(), c.seen);
        EXPECT_EQ(w.files.written[c.path], c.bytes);
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
    const std::string written = Batch("SysWOW64", kRegisterTools);
    struct Case {
        const char* what;
        int pressAt;  // Unregister is pressed during this processing of events (0: never)
        int closeAt;  // the window is closed during this one (0: never)
        std::string seen;
        std::string registerBat;  // register.bat's bytes afterwards
    };
    const Case cases[] = {{"a press before the write", 1, 0, inner + " | " + outer + " | " + outerLaunch, written},
                          {"a press before the launch", 2, 0, outer + " | " + inner + " | " + outerLaunch, written},
                          {"closed before the write", 0, 1, "", ""},
                          {"closed before the launch", 0, 2, outer, written}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int events = 0;
        toolkit.onPendingEvents = [&] {
            ++events;
            if (events == c.pressAt) form.Command1_Click(0);
            if (events == c.closeAt) throw WindowClosed{};
        };
        bool closed = false;
        try {
            form.Command1_Click(1);
        } catch (const WindowClosed&) {
            closed = true;
        }
        EXPECT_EQ(closed, c.closeAt != 0);
        EXPECT_EQ(seen.Take(), c.seen);
        EXPECT_EQ(files.written["C:\\K\\register.bat"], c.registerBat);
        files.written.clear();
    }
}

}  // namespace
}  // namespace kalvex::testing
