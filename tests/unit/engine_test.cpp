// The registration engine's calls, pointer and messages on every path.
#include "fake.h"

namespace kalvex::testing {
namespace {

struct EngineCase {
    const char* command;
    std::map<std::string, std::uint32_t> answers;
    bool outlivesWait;  // the worker is still running when the wait ends
    bool raised;        // an exception ended the worker
    std::string journal;
    std::optional<int> apiResult;  // 77: left as an earlier call left it
};

TEST(Engine, CallsPointerAndMessageOnEveryPath) {
    const std::string reg = "load x | entry 101 DllRegisterServer | ",
                      run = "pointer 11 | thread 1617 | wait 1 10000 | ";
    const std::string ended = run + "exitcode 1 | closehandle 1 | free 101 | pointer 0 | msg Process ";
    // After an exception the component stays loaded.
    const std::string fault =
        reg + run + "exitcode 1 | closehandle 1 | pointer 0 | msg Process failed with error code ";
    const std::string unreg = "load x | entry 101 DllUnregisterServer | " + ended + "completed";
    const std::string noEntry =
        "pointer 0 | msg Process failed in obtaining entry point or creating thread. | free 101";
    const std::string lost = reg + run + "pointer 0 | msg Process failed in signaled state or time-out.";
    const std::string refused = "load x | msg Unknown command handle | free 101";
    const EngineCase cases[] = {
        {"", {{"load", 0}}, false, false, "load x | msg Failure loading control DLL", 77},
        {" u", {}, false, false, refused, 77},
        {"u ", {}, false, false, refused, 77},
        {"", {{"entry", 0}}, false, false, reg + noEntry, 77},
        {"", {{"thread", 0}}, false, false, reg + "pointer 11 | thread 1617 | " + noEntry, 77},
        {"u", {}, false, false, unreg, 0},
        {"U", {}, false, false, unreg, 0},
        {"", {{"exitcode", 0x7FFFFFFF}}, false, false, reg + ended + "completed", 0},
        {"", {{"exitcode", 0x80070005}}, false, false, reg + ended + "failed with error code 0x80070005.", 0},
        {"", {{"exitcode", 0x80000000}}, false, false, reg + ended + "failed with error code 0x80000000.", 0},
        {"", {{"exitcode", 0xC0000005}}, false, true, fault + "0xC0000005.", 0},
        // An exception is a failure whatever its code looks like.
        {"", {{"exitcode", 0x0EEDFADE}}, false, true, fault + "0x0EEDFADE.", 0},
        {"", {}, true, false, lost, 0x102},
        {"", {{"wait", 0xFFFFFFFF}}, true, false, lost, -1}};
    for (const EngineCase& c : cases) {
        // A toolkit that raises on every call changes nothing but itself.
        for (const bool raising : {false, true}) {
            SCOPED_TRACE(c.journal + (raising ? " (toolkit raising)" : ""));
            Fake f;
            f.answers = c.answers;
            f.fails = raising ? std::vector<std::string>{"msg", "pointer"} : std::vector<std::string>{};
            f.running = {c.outlivesWait ? 1U : 0U};
            f.raised = {c.raised ? 1U : 0U};
            RegistrationEngine engine(f, f);
            std::optional<std::int32_t> result = 77;
            engine.RegisterServer("x", c.command, result);
            EXPECT_EQ(f.Take(), c.journal);
            EXPECT_EQ(result, c.apiResult);
            EXPECT_EQ(engine.LingeringWorkers(), c.outlivesWait ? 1U : 0U);
        }
    }
}

TEST(Engine, WorkersOutlivingTheirWaitAreReleasedOnceEnded) {
    Fake f;
    RegistrationEngine engine(f, f);
    std::optional<std::int32_t> apiResult;
    f.running = {1, 2, 3};
    for (int call = 0; call < 3; ++call) engine.RegisterServer("x", "", apiResult);
    f.Take();
    f.running = {1};
    f.raised = {3};  // ended by an exception: its component stays loaded
    engine.RegisterServer("y", "u", apiResult);
    EXPECT_EQ(f.Take(),
              "wait 1 0 | wait 2 0 | exitcode 2 | closehandle 2 | free 102 | wait 3 0 | exitcode 3 | closehandle 3 | "
              "load y | entry 104 DllUnregisterServer | pointer 11 | thread 1665 | wait 4 10000 | exitcode 4 | "
              "closehandle 4 | free 104 | pointer 0 | msg Process completed");
    f.running.clear();
    engine.ReleaseFinishedWorkers();
    engine.ReleaseFinishedWorkers();
    EXPECT_EQ(f.Take(), "wait 1 0 | exitcode 1 | closehandle 1 | free 101");
}

}  // namespace
}  // namespace kalvex::testing
