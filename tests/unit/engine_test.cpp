#include "registration/engine.h"

#include <gtest/gtest.h>

#include "fake_modules.h"
#include "fakes.h"

namespace kalvex::testing {
namespace {

const std::string kPath = "C:\\c\\x.ocx";
const std::string kLoad = "LoadLibrary " + kPath;
const std::string kFindRegister = "GetProcAddress 101 DllRegisterServer";
const std::string kStartRegister = "CreateThread 1617";  // module 101's DllRegisterServer
const std::string kNoEntryOrThread = "MsgBox Process failed in obtaining entry point or creating thread.";
const std::string kNotSignaled = "MsgBox Process failed in signaled state or time-out.";

// Writes pointer changes and messages into the kernel's journal, so that one
// list shows the order of everything; may raise on each of them.
class JournalToolkit : public FakeToolkit {
public:
    explicit JournalToolkit(FakeModules& modules) : modules_(modules) {}
    void MsgBox(const std::string& text) override {
        FakeToolkit::MsgBox(text);
        modules_.Log("MsgBox " + text);
        if (fails) throw Error("toolkit failure");
    }
    void SetMousePointer(int pointer) override {
        FakeToolkit::SetMousePointer(pointer);
        modules_.Log("Pointer " + std::to_string(pointer));
        if (fails) throw Error("toolkit failure");
    }
    bool fails = false;

private:
    FakeModules& modules_;
};

class EngineTest : public ::testing::Test {
protected:
    void Run(const std::string& command = "") { engine.RegisterServer(kPath, command, apiResult); }

    FakeModules modules;
    JournalToolkit toolkit{modules};
    RegistrationEngine engine{modules, toolkit};
    std::optional<std::int32_t> apiResult = 77;  // left by an earlier writer
};

struct PathCase {
    const char* name;
    void (*script)(FakeModules&);
    std::string command;
    std::vector<std::string> journal;
    std::int32_t apiResult;
    std::size_t lingering;
};

void PrintTo(const PathCase& c, std::ostream* os) { *os << c.name; }

class EnginePathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(EnginePathTest, CallsPointerAndMessagesInOrder) {
    const PathCase& c = GetParam();
    // A toolkit that raises on every call changes nothing but itself.
    for (bool toolkitFails : {false, true}) {
        SCOPED_TRACE(toolkitFails ? "toolkit raising" : "toolkit working");
        FakeModules modules;
        JournalToolkit toolkit(modules);
        toolkit.fails = toolkitFails;
        RegistrationEngine engine(modules, toolkit);
        c.script(modules);
        std::optional<std::int32_t> apiResult = 77;

        EXPECT_NO_THROW(engine.RegisterServer(kPath, c.command, apiResult));

        EXPECT_EQ(modules.journal, c.journal);
        EXPECT_EQ(apiResult, c.apiResult);
        EXPECT_EQ(engine.LingeringWorkers(), c.lingering);
        EXPECT_EQ(modules.StillLoaded(), static_cast<int>(c.lingering));
        EXPECT_EQ(modules.freedUnderRunningWorker, 0);
    }
}

// The journal of a call that got as far as the wait, followed by `rest`.
std::vector<std::string> Started(const std::vector<std::string>& rest) {
    std::vector<std::string> journal = {kLoad, kFindRegister, "Pointer 11", kStartRegister,
                                        "WaitForSingleObject 1 10000"};
    journal.insert(journal.end(), rest.begin(), rest.end());
    return journal;
}
std::vector<std::string> Ended(const std::string& message) {
    return Started({"GetExitCodeThread 1", "CloseHandle 1", "FreeLibrary 101", "Pointer 0", message});
}

INSTANTIATE_TEST_SUITE_P(
    Paths, EnginePathTest,
    ::testing::Values(PathCase{"LoadFails",
                               [](FakeModules& m) { m.unloadable.insert(kPath); },
                               "",
                               {kLoad, "MsgBox Failure loading control DLL"},
                               77,
                               0},
                      PathCase{"UnknownCommand",
                               [](FakeModules&) {},
                               "x",
                               {kLoad, "MsgBox Unknown command handle", "FreeLibrary 101"},
                               77,
                               0},
                      PathCase{"NoEntryPoint",
                               [](FakeModules& m) { m.exports.clear(); },
                               "",
                               {kLoad, kFindRegister, "Pointer 0", kNoEntryOrThread, "FreeLibrary 101"},
                               77,
                               0},
                      PathCase{"NoThread",
                               [](FakeModules& m) { m.threadFails = true; },
                               "",
                               {kLoad, kFindRegister, "Pointer 11", kStartRegister, "Pointer 0", kNoEntryOrThread,
                                "FreeLibrary 101"},
                               77,
                               0},
                      PathCase{"Completed", [](FakeModules&) {}, "", Ended("MsgBox Process completed"), 0, 0},
                      PathCase{"EntryPointFails", [](FakeModules& m) { m.exitCode = 0x80070005; }, "",
                               Ended("MsgBox Process failed with error code 0x80070005."), 0, 0},
                      PathCase{"TimedOut", [](FakeModules& m) { m.waitResult = kWaitTimeout; }, "",
                               Started({"Pointer 0", kNotSignaled}), 0x102, 1},
                      PathCase{"WaitFails", [](FakeModules& m) { m.waitResult = 0xFFFFFFFF; }, "",
                               Started({"Pointer 0", kNotSignaled}), -1, 1}),
    [](const ::testing::TestParamInfo<PathCase>& info) { return info.param.name; });

TEST_F(EngineTest, SelectsTheEntryPointByExactMatch) {
    // The entry point run, "" when the command is refused. (Completion at
    // code 0, 0x80070005 and the command "x" are in the table of paths.)
    const std::pair<std::string, std::string> cases[] = {
        {"", "DllRegisterServer"}, {"U", "DllUnregisterServer"}, {"u", "DllUnregisterServer"}, {" u", ""}, {"u ", ""},
        {"register", ""}};
    for (const auto& [command, entryPoint] : cases) {
        SCOPED_TRACE('"' + command + '"');
        modules = FakeModules();
        toolkit.messages.clear();
        toolkit.pointers.clear();
        Run(command);
        if (entryPoint.empty()) {
            EXPECT_EQ(modules.journal,
                      (std::vector<std::string>{kLoad, "MsgBox Unknown command handle", "FreeLibrary 101"}));
            EXPECT_TRUE(toolkit.pointers.empty());
        } else {
            EXPECT_EQ(modules.journal.at(1), "GetProcAddress 101 " + entryPoint);
            EXPECT_EQ(toolkit.messages, std::vector<std::string>{"Process completed"});
        }
        EXPECT_EQ(modules.StillLoaded(), 0);
    }
}

TEST_F(EngineTest, FailureResultsAreReportedWithTheirCode) {
    const std::pair<std::uint32_t, std::string> cases[] = {{1, "Process completed"},
                                                           {0x7FFFFFFF, "Process completed"},
                                                           {0x80000000, "Process failed with error code 0x80000000."},
                                                           {0x8002801C, "Process failed with error code 0x8002801C."}};
    for (const auto& [code, message] : cases) {
        SCOPED_TRACE(message);
        toolkit.messages.clear();
        apiResult = 77;
        modules = FakeModules();
        modules.exitCode = code;
        Run();
        EXPECT_EQ(toolkit.messages, std::vector<std::string>{message});
        EXPECT_EQ(apiResult, 0);
    }
}

TEST_F(EngineTest, TimedOutWorkerKeepsItsModuleUntilItHasEnded) {
    modules.waitResult = kWaitTimeout;
    Run();
    modules.journal.clear();

    engine.ReleaseFinishedWorkers();
    EXPECT_EQ(modules.journal, std::vector<std::string>{"WaitForSingleObject 1 0"});
    EXPECT_EQ(engine.LingeringWorkers(), 1u);
    EXPECT_EQ(modules.StillLoaded(), 1);

    modules.EndWorker(1);
    modules.journal.clear();
    engine.ReleaseFinishedWorkers();
    EXPECT_EQ(modules.journal,
              (std::vector<std::string>{"WaitForSingleObject 1 0", "CloseHandle 1", "FreeLibrary 101"}));
    EXPECT_EQ(engine.LingeringWorkers(), 0u);
    EXPECT_EQ(modules.StillLoaded(), 0);

    modules.journal.clear();
    engine.ReleaseFinishedWorkers();
    EXPECT_TRUE(modules.journal.empty());
}

TEST_F(EngineTest, NextCallReleasesOnlyTheWorkersThatHaveEnded) {
    modules.waitResult = kWaitTimeout;
    Run();
    Run();  // allowed while the first worker still runs
    EXPECT_EQ(toolkit.messages, std::vector<std::string>(2, "Process failed in signaled state or time-out."));
    EXPECT_EQ(engine.LingeringWorkers(), 2u);

    modules.waitResult = kWaitObject0;
    modules.EndWorker(2);
    modules.journal.clear();
    Run("u");

    const std::vector<std::string> head(modules.journal.begin(), modules.journal.begin() + 5);
    EXPECT_EQ(head, (std::vector<std::string>{"WaitForSingleObject 1 0", "WaitForSingleObject 2 0", "CloseHandle 2",
                                              "FreeLibrary 102", kLoad}));
    EXPECT_EQ(toolkit.messages.back(), "Process completed");
    EXPECT_EQ(engine.LingeringWorkers(), 1u);
    EXPECT_EQ(modules.StillLoaded(), 1);  // the first worker's module
    EXPECT_EQ(modules.closed, (std::set<ThreadHandle>{2, 3}));
    EXPECT_EQ(modules.freedUnderRunningWorker, 0);
}

}  // namespace
}  // namespace kalvex::testing
