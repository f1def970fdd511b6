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
        {reg,
         [](FakeModules& m) {
             m.exitCode = 0xC0000005;
             m.raised = {1};
         },
         "Process failed with error code 0xC0000005.", "load x", true},
        {reg,
         [](FakeModules& m) {
             m.exitCode = 0x0EEDFADE;
             m.raised = {1};
         },
         "Process failed with error code 0x0EEDFADE.", "load x", true},
        // An exception in COM's clean-up after the entry point returned success is no success.
        {reg,
         [](FakeModules& m) {
             m.exitCode = 0xC00000FD;
             m.raised = {1};
             m.raisedAfterReturn = true;
         },
         "Process failed with error code 0xC00000FD.\r\n\r\nThe component's entry point returned, then the "
         "component faulted while COM was shut down after it. What it registered may be incomplete; the "
         "component stays loaded until Kalvex ends.",
         "load x", true}};
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
            const std::string outcome = OutcomeMessage(engine.RegisterServer("x", c.action));
            EXPECT_EQ(outcome + " | " + seen.Take(), c.message + " | " + c.seen);
            EXPECT_EQ(std::to_string(ui.busy) + std::to_string(ui.everBusy), c.busy && !busyFails ? "01" : "00");
            if (!modules.entryNames.empty()) {
                EXPECT_EQ(modules.entryNames[0], c.action == reg ? "DllRegisterServer" : "DllUnregisterServer");
            }
        }
    }
}

// A worker that outlived its wait keeps its component until it is seen to
// have ended, at the next call or when the engine goes, and never after an
// exception ended it. Meanwhile a second call on the same component waits
// for it at most 10 s, and enters the component only once it has ended,
// with a whole 10 s wait for its own worker; a component of another file is
// entered at once.
TEST(Engine, AWorkerThatOutlivedItsWaitKeepsItsComponentAndIsWaitedFor) {
    const std::string done = "Process completed";
    struct Case {
        const char* second;            // the second call's component; the first's is "a"
        std::uint32_t firstEndsAfter;  // after the first call's wait
        bool endedBetween, raised;     // it ended before the second call; an exception ended it
        std::string message;
        std::uint32_t workerLimit;  // what the second call's worker was given of the 10 s
        std::string seen, atEnd;    // during the second call; when the engine goes
    };
    const Case cases[] = {{"a", 3000, false, false, done, 10000, "load a | free 101 | free 101", ""},
                          {"a", 9999, false, false, done, 10000, "load a | free 101 | free 101", ""},
                          {"a", 12000, false, false, kLost, 0, "load a | free 101", "free 101"},  // not entered
                          {"b", 12000, false, false, done, 10000, "load b | free 102", "free 101"},
                          {"b", 12000, true, false, done, 10000, "free 101 | load b | free 102", ""},
                          {"b", 12000, true, true, done, 10000, "load b | free 102", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.second) + " after " + std::to_string(c.firstEndsAfter));
        Journal seen;
        FakeModules modules(seen);
        FakeToolkit ui(seen);
        {
            RegistrationEngine engine(modules, ui);
            modules.running = {1};
            modules.endsAfter = {{1, kWorkerWaitLimitMs + c.firstEndsAfter}};
            EXPECT_EQ(OutcomeMessage(engine.RegisterServer("a", RegistrationAction::Register)), kLost);
            seen.Take();
            if (c.endedBetween) modules.running.clear();
            if (c.raised) modules.raised = {1};
            const std::uint32_t start = modules.clock;
            const std::string outcome = OutcomeMessage(engine.RegisterServer(c.second, RegistrationAction::Register));
            EXPECT_EQ(outcome + " | " + seen.Take() + " | " + std::to_string(modules.threads),
                      c.message + " | " + c.seen + " | " + (c.message == kLost ? "1" : "2"));
            if (c.message != kLost) {
                EXPECT_EQ(modules.waitLimits.back(), c.workerLimit);
            }
            EXPECT_LE(modules.clock - start, kWorkerWaitLimitMs) << "it waited for the earlier worker too long";
            EXPECT_FALSE(ui.busy);
            modules.running.clear();
        }
        EXPECT_EQ(seen.Take(), c.atEnd);
    }
}

}  // namespace
}  // namespace kalvex::testing
