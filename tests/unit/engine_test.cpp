// The registration engine: its outcome, whether it showed busy, and which
// components stay loaded, on every path.
#include "fake.h"

namespace kalvex::testing {
namespace {

const std::string kLost = "Process failed in signaled state or time-out.";

TEST(Engine, OutcomeBusyAndComponentOnEveryPath) {
    const auto unreg = RegistrationAction::Unregister, reg = RegistrationAction::Register;
    const std::string noEntry = "Process failed in obtaining entry point or creating thread.";
    struct Case {
        RegistrationAction action;
        void (*spoil)(FakeModules&);
        std::string message, seen;
        bool busy;  // it showed busy while it waited
    };
    const Case cases[] = {
        {reg, [](FakeModules& m) { m.loadFails = true; }, "Failure loading control DLL", "", false},
        {reg, [](FakeModules& m) { m.noEntryPoint = true; }, noEntry, "load x | free 101", false},
        {reg, [](FakeModules& m) { m.noThread = true; }, noEntry, "load x | free 101", true},
        {unreg, [](FakeModules&) {}, "Process completed", "load x | free 101", true},
        {reg, [](FakeModules& m) { m.exitCode = 0x7FFFFFFF; }, "Process completed", "load x | free 101", true},
        {reg, [](FakeModules& m) { m.exitCode = 0x80070005; }, "Process failed with error code 0x80070005.",
         "load x | free 101", true},
        // After an exception the component stays loaded, whatever its code looks like.
        {reg, [](FakeModules& m) { m.exitCode = 0xC0000005, m.raised = {1}; },
         "Process failed with error code 0xC0000005.", "load x", true},
        {reg, [](FakeModules& m) { m.exitCode = 0x0EEDFADE, m.raised = {1}; },
         "Process failed with error code 0x0EEDFADE.", "load x", true},
        // A worker that outlives the wait keeps its component.
        {reg, [](FakeModules& m) { m.running = {1}; }, kLost, "load x", true}};
    for (const Case& c : cases) {
        // Busy that cannot be shown changes nothing but itself.
        for (const bool busyFails : {false, true}) {
            SCOPED_TRACE(c.message + (busyFails ? " (busy failing)" : ""));
            Journal seen;
            FakeModules modules(seen);
            FakeToolkit ui(seen);
            ui.busyFails = busyFails;
            c.spoil(modules);
            RegistrationEngine engine(modules, ui);
            EXPECT_EQ(OutcomeMessage(engine.RegisterServer("x", c.action)), c.message);
            EXPECT_EQ(seen.Take(), c.seen);
            EXPECT_FALSE(ui.busy);
            EXPECT_EQ(ui.everBusy, c.busy && !busyFails);
            if (!modules.entryNames.empty()) {
                EXPECT_EQ(modules.entryNames[0], c.action == reg ? "DllRegisterServer" : "DllUnregisterServer");
            }
        }
    }
}

// A component whose worker outlived its wait is freed once the worker is
// seen to have ended, at the next call or when the engine goes; never after
// an exception ended it, and never while it runs.
TEST(Engine, WorkersOutlivingTheirWaitAreReleasedOnceEnded) {
    Journal seen;
    FakeModules modules(seen);
    FakeToolkit ui(seen);
    {
        RegistrationEngine engine(modules, ui);
        modules.running = {1, 2, 3};
        for (const char* path : {"x", "y", "z"}) engine.RegisterServer(path, RegistrationAction::Register);
        seen.Take();
        modules.running = {1, 4};
        modules.raised = {3};
        engine.RegisterServer("w", RegistrationAction::Unregister);
        EXPECT_EQ(seen.Take(), "free 102 | load w");
        modules.running = {4};
    }
    EXPECT_EQ(seen.Take(), "free 101");
}

// One thread at a time inside a component: a second call on a component
// whose first worker outlived its wait waits for that worker within its own
// 10 s, and enters the component only once it has ended. A component of
// another file is entered at once.
TEST(Engine, ASecondCallWaitsForTheWorkerStillInsideItsComponent) {
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
                          {"a", 12000, kLost, false, 0, "load a | free 101"},  // the first one keeps the component
                          {"b", 12000, "Process completed", true, 10000, "load b | free 102"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.second) + " after " + std::to_string(c.firstEndsAfter));
        Journal seen;
        FakeModules modules(seen);
        FakeToolkit ui(seen);
        RegistrationEngine engine(modules, ui);
        modules.running = {1};
        modules.endsAfter = {{1, kWorkerWaitLimitMs + c.firstEndsAfter}};
        EXPECT_EQ(OutcomeMessage(engine.RegisterServer("a", RegistrationAction::Register)), kLost);
        seen.Take();
        const std::uint32_t start = modules.clock;
        EXPECT_EQ(OutcomeMessage(engine.RegisterServer(c.second, RegistrationAction::Register)), c.message);
        EXPECT_EQ(seen.Take(), c.seen);
        EXPECT_EQ(modules.threads, c.entered ? 2U : 1U);
        if (c.entered) {
            EXPECT_EQ(modules.waitLimits.back(), c.workerLimit);
        }
        EXPECT_LE(modules.clock - start, kWorkerWaitLimitMs) << "the call waited longer than its limit";
        EXPECT_FALSE(ui.busy);
    }
}

}  // namespace
}  // namespace kalvex::testing
