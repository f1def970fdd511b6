// The registration engine: its outcome, the pointer, and which components
// stay loaded, on every path.
#include "fake.h"

namespace kalvex::testing {
namespace {

TEST(Engine, OutcomePointerAndComponentOnEveryPath) {
    const auto unreg = RegistrationAction::Unregister, reg = RegistrationAction::Register;
    const std::string noEntry = "Process failed in obtaining entry point or creating thread.";
    const std::string lost = "Process failed in signaled state or time-out.";
    struct Case {
        RegistrationAction action;
        std::map<std::string, std::uint32_t> answers;
        bool outlivesWait, raised;  // the worker still runs after the wait; an exception ended it
        std::string message, seen;
        bool hourglass;
    };
    const Case cases[] = {
        {reg, {{"load", 0}}, false, false, "Failure loading control DLL", "", false},
        {reg, {{"entry", 0}}, false, false, noEntry, "load x | free 101", false},
        {reg, {{"thread", 0}}, false, false, noEntry, "load x | free 101", true},
        {unreg, {}, false, false, "Process completed", "load x | free 101", true},
        {reg, {{"exitcode", 0x7FFFFFFF}}, false, false, "Process completed", "load x | free 101", true},
        {reg,
         {{"exitcode", 0x80070005}},
         false,
         false,
         "Process failed with error code 0x80070005.",
         "load x | free 101",
         true},
        // After an exception the component stays loaded, whatever its code looks like.
        {reg, {{"exitcode", 0xC0000005}}, false, true, "Process failed with error code 0xC0000005.", "load x", true},
        {reg, {{"exitcode", 0x0EEDFADE}}, false, true, "Process failed with error code 0x0EEDFADE.", "load x", true},
        // A worker that outlives the wait keeps its component.
        {reg, {}, true, false, lost, "load x", true},
        {reg, {{"wait", 0xFFFFFFFF}}, true, false, lost, "load x", true}};
    for (const Case& c : cases) {
        // A pointer that cannot be set changes nothing but itself.
        for (const bool raising : {false, true}) {
            SCOPED_TRACE(c.message + (raising ? " (pointer raising)" : ""));
            Fake f;
            f.answers = c.answers;
            f.fails = raising ? std::set<std::string>{"pointer"} : std::set<std::string>{};
            f.running = {c.outlivesWait ? 1U : 0U};
            f.raised = {c.raised ? 1U : 0U};
            RegistrationEngine engine(f, f);
            EXPECT_EQ(OutcomeMessage(engine.RegisterServer("x", c.action)), c.message);
            EXPECT_EQ(f.Take(), c.seen);
            EXPECT_EQ(f.pointer, kPointerDefault);
            EXPECT_EQ(f.hourglassShown, c.hourglass && !raising);
            if (!f.entryNames.empty()) {
                EXPECT_EQ(f.entryNames[0], c.action == reg ? "DllRegisterServer" : "DllUnregisterServer");
            }
        }
    }
}

// A component whose worker outlived its wait is freed once the worker is
// seen to have ended, at the next call or when asked; never after an
// exception ended it, and never while it runs.
TEST(Engine, WorkersOutlivingTheirWaitAreReleasedOnceEnded) {
    Fake f;
    RegistrationEngine engine(f, f);
    f.running = {1, 2, 3};
    for (const char* path : {"x", "y", "z"}) engine.RegisterServer(path, RegistrationAction::Register);
    f.Take();
    f.running = {1};
    f.raised = {3};
    engine.RegisterServer("w", RegistrationAction::Unregister);
    EXPECT_EQ(f.Take(), "free 102 | load w | free 104");
    f.running.clear();
    engine.ReleaseFinishedWorkers();
    engine.ReleaseFinishedWorkers();
    EXPECT_EQ(f.Take(), "free 101");
}

// One thread at a time inside a component: a second call on a component
// whose first worker outlived its wait waits for that worker within its own
// 10 s, and enters the component only once it has ended. A component of
// another file is entered at once.
TEST(Engine, ASecondCallWaitsForTheWorkerStillInsideItsComponent) {
    const std::string lost = "Process failed in signaled state or time-out.";
    struct Case {
        const char* second;            // the second call's component; the first's is "a"
        std::uint32_t firstEndsAfter;  // after the first call's wait
        std::string message;
        bool entered;               // the second call's entry point ran
        std::uint32_t workerLimit;  // what its worker was given of the 10 s
        std::string seen;           // during the second call
    };
    const Case cases[] = {{"a", 3000, "Process completed", true, 7000, "load a | free 101 | free 101"},
                          {"a", 9999, "Process completed", true, 1, "load a | free 101 | free 101"},
                          {"a", 12000, lost, false, 0, "load a | free 101"},  // the first one keeps the component
                          {"b", 12000, "Process completed", true, 10000, "load b | free 102"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.second) + " after " + std::to_string(c.firstEndsAfter));
        Fake f;
        RegistrationEngine engine(f, f);
        f.running = {1};
        f.endsAfter = {{1, kWorkerWaitLimitMs + c.firstEndsAfter}};
        EXPECT_EQ(OutcomeMessage(engine.RegisterServer("a", RegistrationAction::Register)), lost);
        f.Take();
        const std::uint32_t start = f.clock;
        EXPECT_EQ(OutcomeMessage(engine.RegisterServer(c.second, RegistrationAction::Register)), c.message);
        EXPECT_EQ(f.Take(), c.seen);
        EXPECT_EQ(f.threads, c.entered ? 2U : 1U);
        if (c.entered) {
            EXPECT_EQ(f.waitLimits.back(), c.workerLimit);
        }
        EXPECT_LE(f.clock - start, kWorkerWaitLimitMs) << "the call waited longer than its limit";
        EXPECT_EQ(f.pointer, kPointerDefault);
    }
}

}  // namespace
}  // namespace kalvex::testing
