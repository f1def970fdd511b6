#include "form_fixture.h"

namespace kalvex::testing {
namespace {

const std::string kPath64 = "c:\\windows\\syswow64\\mscomctl.ocx";
const std::string kPath32 = "c:\\windows\\system32\\mscomctl.ocx";

class FormTest : public FormFixture {
protected:
    FormTest() {
        controls.onText1Change = [this] {
            ++changes;
            form.text1_Change();
        };
    }

    // Puts something on the version labels, as a version display would.
    void ShowVersionLabels() {
        controls.state[ControlId::lblFileInfo].text = "Company Name:  X";
        controls.state[ControlId::lblPleaseVerify].visible = true;
    }

    int changes = 0;
};

TEST_F(FormTest, StartUpPreparesTheWindow) {
    toolkit.existingFiles.insert(kPath64);
    form.Form_Load();

    EXPECT_EQ(form.NewLine(), "\r\n");
    EXPECT_EQ(controls.TextOf(ControlId::lblOCXFileSpec),
              "File specification of OCX/DLL\r\n    e.g. c:\\Windows\\System\\mswinsck.ocx");
    EXPECT_FALSE(controls.Visible(ControlId::lblPleaseVerify));
    EXPECT_EQ(controls.TextOf(ControlId::lblFileInfo), "");
    EXPECT_TRUE(controls.Visible(ControlId::cmdRegister));
    EXPECT_FALSE(controls.Visible(ControlId::cmdProceed));
    EXPECT_FALSE(controls.Locked(ControlId::text1));
    EXPECT_EQ(controls.listFolder, "C:\\Windows\\system32");
    EXPECT_EQ(controls.TextOf(ControlId::text1), kPath64);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(toolkit.dirAttributes, std::vector<int>{0});
    EXPECT_TRUE(toolkit.messages.empty());
    // The rest of the window state keeps its initial values.
    EXPECT_EQ(form.CompanyName(), "");
    EXPECT_EQ(form.ProductVersion(), "");
    EXPECT_EQ(form.RegisterMode(), kFalse);
    EXPECT_FALSE(form.ApiResult().has_value());
}

struct DefaultPathCase {
    const char* name;
    std::uint16_t architecture;
    bool architectureFails;
    bool fileThere;
    bool searchFails;
    std::string searched;
    std::string text1;
};

void PrintTo(const DefaultPathCase& c, std::ostream* os) { *os << c.name; }

class DefaultPathTest : public FormTest, public ::testing::WithParamInterface<DefaultPathCase> {};

TEST_P(DefaultPathTest, ProposesTheDefaultComponent) {
    const DefaultPathCase& c = GetParam();
    system.architecture = c.architecture;
    system.architectureFails = c.architectureFails;
    if (c.fileThere) toolkit.existingFiles.insert(c.searched);
    toolkit.dirFails = c.searchFails;

    form.Form_Load();

    EXPECT_EQ(toolkit.dirQueries, std::vector<std::string>{c.searched});
    EXPECT_EQ(controls.TextOf(ControlId::text1), c.text1);
    // Whatever the probes did, start-up ran to its end.
    EXPECT_EQ(controls.listFolder, "C:\\Windows\\system32");
    EXPECT_TRUE(controls.Visible(ControlId::cmdExit));
    EXPECT_TRUE(toolkit.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    StartUp, DefaultPathTest,
    ::testing::Values(DefaultPathCase{"x64_present", 9, false, true, false, kPath64, kPath64},
                      DefaultPathCase{"x64_absent", 9, false, false, false, kPath64, ""},
                      DefaultPathCase{"intel_present", 0, false, true, false, kPath32, kPath32},
                      DefaultPathCase{"itanium_present", 6, false, true, false, kPath64, kPath64},
                      DefaultPathCase{"arm64_counts_as_32_bit", 12, false, true, false, kPath32, kPath32},
                      // A failing test of a choice carries on in its first branch.
                      DefaultPathCase{"is64_fails", 0, true, true, false, kPath64, kPath64},
                      DefaultPathCase{"search_fails", 0, false, false, true, kPath32, kPath32}),
    [](const ::testing::TestParamInfo<DefaultPathCase>& info) { return std::string(info.param.name); });

TEST_F(FormTest, StartUpKeepsTheListFolderWhenTheSystemPathIsMissing) {
    for (const bool throws : {false, true}) {
        FakeControls fresh;
        FakeSystem failing;
        failing.systemDirectoryResult = 0;
        failing.systemDirectoryFails = throws;
        frmKalvex other({fresh, toolkit, files, failing, shell, modules, version});
        other.Form_Load();
        EXPECT_EQ(fresh.listFolder, "C:\\Start") << "throws=" << throws;
        EXPECT_FALSE(fresh.Visible(ControlId::cmdProceed));
        EXPECT_EQ(toolkit.dirQueries.back(), kPath64);
    }
}

TEST_F(FormTest, StartUpGoesOnAfterAControlFails) {
    toolkit.existingFiles.insert(kPath64);
    controls.failing = {ControlId::lblOCXFileSpec, ControlId::cmdRegister};
    form.Form_Load();

    EXPECT_EQ(form.NewLine(), "\r\n");
    EXPECT_FALSE(controls.Visible(ControlId::lblPleaseVerify));
    // The mode switch stopped at its failing first control: Proceed keeps
    // the visibility it was created with.
    EXPECT_TRUE(controls.Visible(ControlId::cmdProceed));
    EXPECT_EQ(controls.listFolder, "C:\\Windows\\system32");
    EXPECT_EQ(controls.TextOf(ControlId::text1), kPath64);
}

TEST_F(FormTest, ButtonModesSwitchFiveButtonsAndTheLock) {
    const ControlId normalButtons[] = {ControlId::cmdRegister, ControlId::cmdUnregister, ControlId::cmdExit};
    const ControlId confirmButtons[] = {ControlId::cmdProceed, ControlId::cmdCancel};
    ShowVersionLabels();
    for (const VbBool flag : {kFalse, kTrue, kTrue, kFalse, kTrue}) {
        form.SetButtonMode(flag);
        const bool normal = flag == kTrue;
        for (ControlId id : normalButtons) EXPECT_EQ(controls.Visible(id), normal);
        for (ControlId id : confirmButtons) EXPECT_EQ(controls.Visible(id), !normal);
        EXPECT_EQ(controls.Locked(ControlId::text1), !normal);
        // Labels and the rest of the window are not part of the mode.
        EXPECT_TRUE(controls.Visible(ControlId::lblPleaseVerify));
        EXPECT_EQ(controls.TextOf(ControlId::lblFileInfo), "Company Name:  X");
        EXPECT_TRUE(controls.Visible(ControlId::File1));
    }
}

TEST_F(FormTest, FileListPressCopiesFolderAndNameIntoTheTextBox) {
    const struct {
        const char* name;
        std::string folder;
        std::vector<std::string> items;
        int index;
        int button;
        std::string text1;
        bool confirmation;  // pressed in confirmation mode, with text1 locked
    } cases[] = {
        {"left", "C:\\Windows\\system32", {"a.ocx", "b.ocx"}, 1, 1, "C:\\Windows\\system32\\b.ocx", false},
        {"right", "C:\\Windows\\system32", {"a.ocx", "b.ocx"}, 0, 2, "C:\\Windows\\system32\\a.ocx", false},
        {"middle", "D:\\x", {"a.ocx"}, 0, 4, "D:\\x\\a.ocx", false},
        {"no_current_entry", "C:\\Windows\\system32", {"a.ocx"}, -1, 1, "C:\\Windows\\system32\\", false},
        {"empty_list", "C:\\Empty", {}, -1, 2, "C:\\Empty\\", false},
        // The separator is added even after a root's own.
        {"root_folder", "C:\\", {"root.ocx"}, 0, 1, "C:\\\\root.ocx", false},
        // The locked text is replaced all the same; the mode stays.
        {"confirmation_mode", "C:\\W", {"x.ocx"}, 0, 1, "C:\\W\\x.ocx", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form.SetButtonMode(c.confirmation ? kFalse : kTrue);
        controls.listFolder = c.folder;
        controls.listItems = c.items;
        controls.listIndex = c.index;
        ShowVersionLabels();
        changes = 0;

        form.File1_MouseDown(c.button, 0, 10.0f, 20.0f);

        EXPECT_EQ(controls.TextOf(ControlId::text1), c.text1);
        EXPECT_EQ(changes, 1);
        EXPECT_FALSE(controls.Visible(ControlId::lblPleaseVerify));
        EXPECT_EQ(controls.TextOf(ControlId::lblFileInfo), "");
        EXPECT_EQ(controls.Visible(ControlId::cmdProceed), c.confirmation);
        EXPECT_EQ(controls.Locked(ControlId::text1), c.confirmation);
    }
}

TEST_F(FormTest, ClosingButtonsUnloadAndUnloadEnds) {
    for (const ControlId id : {ControlId::Command2, ControlId::cmdExit}) {
        const int before = toolkit.unloads;
        EXPECT_TRUE(form.Click(id));
        EXPECT_EQ(toolkit.unloads, before + 1);
    }
    EXPECT_EQ(toolkit.ends, 0);
    form.Form_Unload();
    EXPECT_EQ(toolkit.ends, 1);
    EXPECT_TRUE(toolkit.messages.empty());
}

// ---- the confirmation flow ----

enum class Press { Register, Unregister };

struct CheckCase {
    const char* name;
    Press press;
    std::string text;
    bool fileThere;
    std::vector<std::string> messages;
    bool confirmation;  // the window switched to confirmation mode
    bool versionShown;
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

class CheckTest : public FormTest, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(CheckTest, RegisterAndUnregisterCheckTheName) {
    const CheckCase& c = GetParam();
    form.Form_Load();
    controls.SetText(ControlId::text1, c.text);
    if (c.fileThere) system.readableFiles.insert(c.text);
    ShowVersionLabels();
    const VbBool modeBefore = form.RegisterMode();

    if (c.press == Press::Register) {
        form.cmdRegister_Click();
    } else {
        form.cmdUnregister_Click();
    }

    EXPECT_EQ(toolkit.messages, c.messages);
    EXPECT_EQ(controls.Visible(ControlId::cmdProceed), c.confirmation);
    EXPECT_EQ(controls.Visible(ControlId::cmdRegister), !c.confirmation);
    EXPECT_EQ(controls.Locked(ControlId::text1), c.confirmation);
    // A name of spaces never reaches the file test; any other goes untrimmed.
    const bool tested = c.text.find_first_not_of(' ') != std::string::npos;
    EXPECT_EQ(system.openQueries, tested ? std::vector<std::string>{c.text} : std::vector<std::string>{});
    if (!c.confirmation) {
        EXPECT_EQ(form.RegisterMode(), modeBefore);
    } else {
        EXPECT_EQ(form.RegisterMode(), c.press == Press::Register ? kTrue : kFalse);
    }
    // Only Register reads the version; a file without one says so.
    EXPECT_EQ(controls.TextOf(ControlId::lblFileInfo),
              c.versionShown ? "(No Product Version available for this file)" : "Company Name:  X");
    EXPECT_TRUE(modules.journal.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Flow, CheckTest,
    ::testing::Values(
        CheckCase{"register_ok", Press::Register, "C:\\x.ocx", true, {}, true, true},
        CheckCase{"unregister_ok", Press::Unregister, "C:\\x.ocx", true, {}, true, false},
        CheckCase{"register_empty", Press::Register, "", false, {kNoPathYet}, false, false},
        CheckCase{"unregister_spaces", Press::Unregister, "   ", false, {kNoPathYet}, false, false},
        CheckCase{"register_missing", Press::Register, "C:\\no.ocx", false, {kFileNotFound}, false, false},
        CheckCase{"unregister_missing", Press::Unregister, "C:\\no.ocx", false, {kFileNotFound}, false, false},
        CheckCase{"spaces_around_reach_the_test", Press::Register, "  C:\\x.ocx ", true, {}, true, true},
        CheckCase{"a_tab_is_not_a_space", Press::Register, "\t", false, {kFileNotFound}, false, false}),
    [](const ::testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

class ProceedTest : public FormTest {
protected:
    void Open(Press press, const std::string& path) {
        system.readableFiles.insert(path);
        controls.SetText(ControlId::text1, path);
        if (press == Press::Register) {
            form.cmdRegister_Click();
        } else {
            form.cmdUnregister_Click();
        }
        ASSERT_TRUE(controls.Visible(ControlId::cmdProceed));
    }
    // The entry point that Proceed ran, from the kernel's journal.
    std::string EntryPointRun() const {
        for (const std::string& call : modules.journal) {
            if (call.rfind("GetProcAddress", 0) == 0) return call.substr(call.find_last_of(' ') + 1);
        }
        return "none";
    }
    std::string Loaded() const {
        return modules.journal.empty() ? "none" : modules.journal.front().substr(std::string("LoadLibrary ").size());
    }
};

TEST_F(ProceedTest, ProceedShowsWwwRunsTheEntryPointAndOnlyRegisterClearsTheLabels) {
    form.Form_Load();
    for (const Press press : {Press::Register, Press::Unregister}) {
        const bool reg = press == Press::Register;
        SCOPED_TRACE(reg ? "register" : "unregister");
        modules.journal.clear();
        Open(press, "C:\\a.ocx");
        ShowVersionLabels();
        toolkit.messages.clear();

        form.cmdProceed_Click();

        ASSERT_FALSE(toolkit.messages.empty());
        EXPECT_EQ(toolkit.messages.front(), "WWW");
        EXPECT_EQ(Loaded(), "C:\\a.ocx");
        EXPECT_EQ(EntryPointRun(), reg ? "DllRegisterServer" : "DllUnregisterServer");
        EXPECT_EQ(controls.Visible(ControlId::lblPleaseVerify), !reg);
        EXPECT_EQ(controls.TextOf(ControlId::lblFileInfo), reg ? "" : "Company Name:  X");
        EXPECT_TRUE(controls.Visible(ControlId::cmdRegister));
        EXPECT_TRUE(controls.Visible(ControlId::cmdExit));
        EXPECT_FALSE(controls.Locked(ControlId::text1));
    }
}

TEST_F(ProceedTest, TheLatestConfirmedPressDecidesAcrossCancels) {
    const struct {
        Press first, second;
        const char* entryPoint;
    } cases[] = {{Press::Register, Press::Unregister, "DllUnregisterServer"},
                 {Press::Unregister, Press::Register, "DllRegisterServer"}};
    for (const auto& c : cases) {
        modules.journal.clear();
        Open(c.first, "C:\\a.ocx");
        ShowVersionLabels();
        form.cmdCancel_Click();
        // Cancel withdraws the labels, returns to normal mode, keeps the mode flag.
        EXPECT_EQ(controls.TextOf(ControlId::lblFileInfo), "");
        EXPECT_FALSE(controls.Visible(ControlId::lblPleaseVerify));
        EXPECT_FALSE(controls.Visible(ControlId::cmdCancel));
        EXPECT_EQ(form.RegisterMode(), c.first == Press::Register ? kTrue : kFalse);
        Open(c.second, "C:\\a.ocx");
        form.cmdProceed_Click();
        EXPECT_EQ(EntryPointRun(), c.entryPoint);
    }
}

TEST_F(ProceedTest, ATextReplacedInConfirmationModeIsUsedUnchecked) {
    Open(Press::Register, "C:\\a.ocx");
    controls.SetText(ControlId::text1, "C:\\elsewhere\\b.ocx");
    form.cmdProceed_Click();

    EXPECT_EQ(Loaded(), "C:\\elsewhere\\b.ocx");
    EXPECT_EQ(system.openQueries, std::vector<std::string>{"C:\\a.ocx"});
}

}  // namespace
}  // namespace kalvex::testing
