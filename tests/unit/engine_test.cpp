// The registration engine's calls, pointer and messages on every path.
#include "fake.h"

namespace kalvex::testing {
namespace {

TEST(Engine, CallsPointerAndMessageOnEveryPath) {
    const std::string reg = "load x | entry 101 DllRegisterServer | ",
                      run = "pointer 11 | thread 1617 | wait 1 10000 | ";
    const std::string ended = run + "exitcode 1 | closehandle 1 | free 101 | pointer 0 | msg Process ";
    const std::string unreg = "load x | entry 101 DllUnregisterServer | " + ended + "completed";
    const std::string noEntry =
        "pointer 0 | msg Process failed in obtaining entry point or creating thread. | free 101";
    const std::string lost = reg + run + "pointer 0 | msg Process failed in signaled state or time-out.";
    const std::string refused = "load x | msg Unknown command handle | free 101";
    // Command, answers, whether the worker outlives its wait, calls, wait's result.
    const std::tuple<const char*, std::map<std::string, std::uint32_t>, bool, std::string, std::optional<int>> cases[] =
        {{"", {{"load", 0}}, false, "load x | msg Failure loading control DLL", 77},
         {" u", {}, false, refused, 77},
         {"u ", {}, false, refused, 77},
         {"", {{"entry", 0}}, false, reg + noEntry, 77},
         {"", {{"thread", 0}}, false, reg + "pointer 11 | thread 1617 | " + noEntry, 77},
         {"u", {}, false, unreg, 0},
         {"U", {}, false, unreg, 0},
         {"", {{"exitcode", 0x7FFFFFFF}}, false, reg + ended + "completed", 0},
         {"", {{"exitcode", 0x80070005}}, false, reg + ended + "failed with error code 0x80070005.", 0},
         {"", {{"exitcode", 0x80000000}}, false, reg + ended + "failed with error code 0x80000000.", 0},
         {"", {{"exitcode", 0x8002801C}}, false, reg + ended + "failed with error code 0x8002801C.", 0},
         {"", {}, true, lost, 0x102},
         {"", {{"wait", 0xFFFFFFFF}}, true, lost, -1}};
    for (const auto& [command, answers, outlives, journal, apiResult] : cases) {
        // A toolkit that raises on every call changes nothing but itself.
        for (const bool raising : {false, true}) {
            SCOPED_TRACE(journal + (raising ? " (toolkit raising)" : ""));
            Fake f;
            f.answers = answers;
            f.fails = raising ? std::vector<std::string>{"msg", "pointer"} : std::vector<std::string>{};
            f.running = {outlives ? 1U : 0U};
            RegistrationEngine engine(f, f);
            std::optional<std::int32_t> result = 77;  // left by an earlier call
            engine.RegisterServer("x", command, result);
            EXPECT_EQ(f.Take(), journal);
            EXPECT_EQ(result, apiResult);
            EXPECT_EQ(engine.LingeringWorkers(), outlives ? 1U : 0U);
        }
    }
}

TEST(Engine, WorkersOutlivingTheirWaitAreReleasedOnceEnded) {
    Fake f;
    RegistrationEngine engine(f, f);
    std::optional<std::int32_t> apiResult;
    f.running = {1, 2};
    engine.RegisterServer("x", "", apiResult);
    engine.RegisterServer("x", "", apiResult);
    f.Take();
    f.running = {1};
    engine.RegisterServer("y", "u", apiResult);
    EXPECT_EQ(f.Take(),
              "wait 1 0 | wait 2 0 | closehandle 2 | free 102 | load y | entry 103 DllUnregisterServer | pointer 11 | "
              "thread 1649 | wait 3 10000 | exitcode 3 | closehandle 3 | free 103 | pointer 0 | msg Process completed");
    f.running.clear();
    engine.ReleaseFinishedWorkers();
    engine.ReleaseFinishedWorkers();
    EXPECT_EQ(f.Take(), "wait 1 0 | closehandle 1 | free 101");
}

}  // namespace
}  // namespace kalvex::testing
