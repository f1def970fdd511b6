// The registration engine: its outcome, whether it showed busy, and which
// components stay loaded, on every path.
#include "fake.h"
#include "fake_diagnosis.h"
#include "shared/format.h"

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
        bool everBusy;  // it showed busy while it waited
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
        SCOPED_TRACE(c.message);
        Journal seen;
        FakeModules modules(seen);
        FakeToolkit ui(seen);
        c.spoil(modules);
        RegistrationEngine engine(modules, ui);
        EXPECT_EQ(OutcomeMessage(engine.RegisterServer("x", c.action)), c.message);
        EXPECT_EQ(seen.Take(), c.seen);
        EXPECT_EQ(ui.everBusy, c.everBusy);
        EXPECT_FALSE(ui.busy);
        if (!modules.entryNames.empty()) {
            EXPECT_EQ(modules.entryNames[0], c.action == reg ? "DllRegisterServer" : "DllUnregisterServer");
        }
    }
}

// A worker that outlived its wait keeps its component until it is seen to
// have ended, at the next call or when the engine goes, and never after an
// exception ended it; a worker that may still run is never destroyed.
// Meanwhile a second call on the same component waits for it at most 10 s,
// and enters the component only once it has ended, with a whole 10 s wait
// for its own worker; a component of another file is entered at once.
TEST(Engine, AWorkerThatOutlivedItsWaitKeepsItsComponentAndIsWaitedFor) {
    const std::string done = "Process completed";
    // The first worker at the second call: still running, returned, or ended by an exception.
    enum class First { Running, Returned, Raised };
    struct Case {
        const char* second;            // the second call's component; the first's is "a"
        std::uint32_t firstEndsAfter;  // after the first call's wait, while it still runs
        First first;
        std::string message;
        std::uint32_t workerLimit;  // what the second call's worker was given of the 10 s
        std::string seen;           // during the second call
        std::string atEnd;          // when the engine goes
    };
    const Case cases[] = {{"a", 3000, First::Running, done, 10000, "load a | free 101 | free 101", ""},
                          {"a", 9999, First::Running, done, 10000, "load a | free 101 | free 101", ""},
                          {"a", 12000, First::Running, kLost, 0, "load a | free 101", "free 101"},  // not entered
                          {"b", 12000, First::Running, done, 10000, "load b | free 102", "free 101"},
                          {"b", 12000, First::Returned, done, 10000, "free 101 | load b | free 102", ""},
                          {"b", 12000, First::Raised, done, 10000, "load b | free 102", ""}};
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
            if (c.first != First::Running) modules.running.clear();
            if (c.first == First::Raised) modules.raised = {1};
            const std::uint32_t start = modules.clock;
            const std::string outcome = OutcomeMessage(engine.RegisterServer(c.second, RegistrationAction::Register));
            EXPECT_EQ(outcome, c.message);
            EXPECT_EQ(seen.Take(), c.seen);
            EXPECT_EQ(modules.workers, c.message == kLost ? 1 : 2);
            if (c.message != kLost) {
                EXPECT_EQ(modules.waitLimits.back(), c.workerLimit);
            }
            EXPECT_LE(modules.clock - start, kWorkerWaitLimitMs) << "it waited for the earlier worker too long";
            EXPECT_FALSE(ui.busy);
            modules.running.clear();
        }
        EXPECT_EQ(seen.Take(), c.atEnd);
        EXPECT_FALSE(modules.destroyedWhileRunning);
    }
}

// A worker still running when the engine goes keeps its component and what
// it writes into: both are let go, neither freed.
TEST(Engine, AWorkerStillRunningAtTheEndIsLetGo) {
    Journal seen;
    FakeModules modules(seen);
    FakeToolkit ui(seen);
    modules.running = {1};
    {
        RegistrationEngine engine(modules, ui);
        EXPECT_EQ(OutcomeMessage(engine.RegisterServer("a", RegistrationAction::Register)), kLost);
        seen.Take();
    }
    EXPECT_EQ(seen.Take(), "");
    EXPECT_FALSE(modules.destroyedWhileRunning);
}

// For this user, HKEY_CLASSES_ROOT is mapped to the user's classes before
// the worker starts and back once it is seen to have ended: at once, or, for
// a worker that outlived its wait, when the next call sees it ended. A call
// for all users never starts while it is mapped; one for this user never
// starts while a worker for all users runs, in any component.
TEST(Engine, ClassesAreMappedForThisUserExactlyWhileItsWorkerRuns) {
    const auto all = RegistrationScope::AllUsers, user = RegistrationScope::ThisUser;
    struct Case {
        const char* name;
        RegistrationScope first, second;  // on "a", then on "b"
        std::uint32_t firstRunsFor;       // from its start
        std::string secondOutcome;
        std::string seen;  // from the second call on
        bool mappedAtEnd;
    };
    const std::string done = "Process completed";
    const std::string userDone = done + "\r\n\r\nRegistered for this user only.";
    const Case cases[] = {
        {"for the user, then for all", user, all, 0, done, "load b | free 102", false},
        {"the user's lingering worker ends within the wait", user, all, 15000, done,
         "load b | free 101 | unmap | free 102", false},
        {"the user's lingering worker outlasts the wait", user, all, 25000, kLost, "load b | free 102", true},
        {"the one for all users lingers", all, user, 15000, userDone, "load b | free 101 | map | free 102 | unmap",
         false},
        {"it outlasts the wait", all, user, 25000, kLost + "\r\n\r\nRegistering for this user only did not complete.",
         "load b | free 102", false},
        {"both for the user, the first lingering", user, user, 15000, userDone, "load b | free 102", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Journal seen;
        FakeModules modules(seen);
        FakeToolkit ui(seen);
        RegistrationEngine engine(modules, ui);
        if (c.firstRunsFor != 0) {
            modules.running = {1};
            modules.endsAfter = {{1, c.firstRunsFor}};
        }
        engine.RegisterServer("a", RegistrationAction::Register, c.first);
        seen.Take();
        const RegistrationOutcome second = engine.RegisterServer("b", RegistrationAction::Register, c.second);
        EXPECT_EQ(OutcomeMessage(second), c.secondOutcome);
        EXPECT_EQ(seen.Take(), c.seen);
        EXPECT_EQ(modules.classesMapped, c.mappedAtEnd);
        EXPECT_FALSE(modules.unmappedUnderWorker);
        for (const auto& [worker, mapped] : modules.startedMapped) {
            const RegistrationScope scope = worker == 1 ? c.first : c.second;
            EXPECT_EQ(mapped, scope == user) << "worker " << worker;
        }
    }
}

// A failed mapping runs nothing and says why.
TEST(Engine, ClassesThatCannotBeMappedRunNothing) {
    Journal seen;
    FakeModules modules(seen);
    FakeToolkit ui(seen);
    RegistrationEngine engine(modules, ui);
    modules.mapError = 5;
    const RegistrationOutcome outcome =
        engine.RegisterServer("a", RegistrationAction::Unregister, RegistrationScope::ThisUser);
    EXPECT_EQ(FirstLine(outcome), "Process failed with error code 0x80070005.");
    EXPECT_EQ(outcome.explanation.rfind("Unregistering for this user only did not complete.\r\nYour own part", 0), 0u)
        << outcome.explanation;
    EXPECT_EQ(seen.Take(), "load a | map | free 101");
    EXPECT_EQ(modules.workers, 0);
}

// Only a registration for all users that the registry refused for want of
// rights, in a process without them, offers this user.
TEST(Engine, OnlyARefusalForWantOfRightsOffersThisUser) {
    enum class Ends { Returning, Raising };  // the entry point returns `code`, or raises it
    enum class Rights { Limited, Elevated };
    struct Case {
        std::uint32_t code;
        Ends ends;
        Rights rights;
        RegistrationScope scope;
        bool offered;
    };
    const auto all = RegistrationScope::AllUsers;
    const auto returning = Ends::Returning;
    const auto limited = Rights::Limited;
    const Case cases[] = {
        {0x80070005, returning, limited, all, true},                           // E_ACCESSDENIED
        {0x8002801C, returning, limited, all, true},                           // TYPE_E_REGISTRYACCESS
        {0x80040151, returning, limited, all, true},                           // REGDB_E_WRITEREGDB
        {0x80070005, returning, Rights::Elevated, all, false},                 // rights would not help
        {0x80070005, returning, limited, RegistrationScope::ThisUser, false},  // already for this user
        {0x80004005, returning, limited, all, false},                          // another failure
        {0xC0000005, Ends::Raising, limited, all, false},                      // an exception
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Hex8(c.code));
        Journal seen;
        FakeModules modules(seen);
        FakeDiagnosis diagnosis;
        diagnosis.elevated = c.rights == Rights::Elevated;
        modules.diagnosis = &diagnosis;
        modules.exitCode = c.code;
        if (c.ends == Ends::Raising) modules.raised = {1};
        FakeToolkit ui(seen);
        RegistrationEngine engine(modules, ui);
        EXPECT_EQ(engine.RegisterServer("C:\\x.ocx", RegistrationAction::Register, c.scope).refusedForRights,
                  c.offered);
    }
}

}  // namespace
}  // namespace kalvex::testing
