// Components registered inside the program see the world they see under regsvr32 /s in the same
// Windows: the system's code page, and windows that take the messages sent to them.
#include "scenario.h"

namespace e2e {

namespace {

// Registers (or unregisters) `path` in `app`, or under regsvr32 when `app` is null; `ms` gets how
// long the component took (in the program, from the notice's OK to the outcome).
std::string Registration(Kalvex* app, bool registers, const std::string& path, DWORD& ms) {
    if (app == nullptr) return Regsvr32(registers, path, ms);
    std::string outcome = app->Outcome(registers ? C::cmdRegister : C::cmdUnregister, path);
    ms = app->answerMs;
    return outcome;
}

// What kvx_world noted under its key: its text, the code page and the error modes it ran under.
struct WorldSeen {
    std::string description, codePage, errorMode, threadErrorMode, loadThreadErrorMode;
    bool operator==(const WorldSeen& other) const {
        return description == other.description && codePage == other.codePage && errorMode == other.errorMode &&
               threadErrorMode == other.threadErrorMode && loadThreadErrorMode == other.loadThreadErrorMode;
    }
};
void PrintTo(const WorldSeen& seen, std::ostream* out) {
    *out << seen.description << ", code page " << seen.codePage << ", error modes " << seen.errorMode << " "
         << seen.threadErrorMode << " " << seen.loadThreadErrorMode;
}

// kvx_broadcast's own limit per window that does not answer, when it registers.
constexpr DWORD kBroadcastLimitMs = 5000;

// A number kvx_world noted under its key, or "-" when it is not there.
std::string Number(const std::string& key, const wchar_t* name) {
    DWORD value = 0, size = sizeof(value);
    return ::RegGetValueW(HKEY_CURRENT_USER, W(Wide(key)), name, RRF_RT_REG_DWORD, nullptr, &value, &size) ==
                   ERROR_SUCCESS
               ? std::to_string(value)
               : "-";
}

// kvx_world writes a Western text as Windows-1252 bytes with its own ANSI calls, the code page it
// runs under, and the error modes of the process, of the thread that registers it and of the thread
// that loaded it: inside the program all are what they are under regsvr32 /s, the text intact, the
// code page the system's, not UTF-8 (which would turn the text's bytes into U+FFFD), and no error
// mode of the program's own.
// kvx_broadcast sends WM_SETTINGCHANGE to every top-level window while it registers (5 s limit per
// window) and unregisters (no limit). A window that did not answer while the program waits would
// hold registering up for 5 s and unregistering past the program's 10 s; one that answers lets each
// step end well inside the broadcast's limit and not far above the same step under regsvr32 in this
// run, process start included. The driver owns no window that could hold a step up.
TEST(World, ComponentsSeeWhatTheySeeUnderRegsvr32) {
    const std::string world = Component("kvx_world.ocx"), broadcast = Component("kvx_broadcast.ocx");
    const std::string key = kClasses + "{3D8FAF2C-943A-4ECD-8B5B-AF4FFB5BC178}";
    Kalvex app;
    ASSERT_TRUE(app.Launch());
    WorldSeen recorded[2];         // under regsvr32, in the program
    DWORD regsvr32Ms[2] = {0, 0};  // kvx_broadcast's steps under regsvr32: unregistering, registering
    for (Kalvex* in : {static_cast<Kalvex*>(nullptr), &app}) {
        const std::string where = in != nullptr ? "in the program" : "under regsvr32";
        DWORD ms = 0;
        EXPECT_EQ(Registration(in, true, world, ms), kCompleted) << where;
        recorded[in != nullptr] = {RegText(key, "Description"), Number(key, L"ACP"), Number(key, L"ErrorMode"),
                                   Number(key, L"ThreadErrorMode"), Number(key, L"LoadThreadErrorMode")};
        EXPECT_EQ(Registration(in, false, world, ms), kCompleted) << where;
        EXPECT_EQ(RegText(key, "Description"), "") << where;
        for (const bool registers : {true, false}) {
            const std::string step = std::string("kvx_broadcast ") + (registers ? "registering " : "unregistering ");
            EXPECT_EQ(Registration(in, registers, broadcast, ms), kCompleted) << step << where;
            EXPECT_EQ(Server("{D65F9F14-D522-4067-97AD-D42885DCF3AD}"), registers ? Upper(broadcast) : "") << where;
            if (in == nullptr) {
                regsvr32Ms[registers] = ms;
                continue;
            }
            EXPECT_LT(ms, kBroadcastLimitMs / 2) << step << where;
            EXPECT_LT(ms, 2 * regsvr32Ms[registers] + 250)
                << step << where << ", regsvr32 took " << regsvr32Ms[registers] << " ms";
        }
    }
    EXPECT_EQ(app.Close(), kExited);
    EXPECT_EQ(recorded[1], recorded[0]);
    EXPECT_EQ(recorded[1].description, "Société Générale für Müller © 1999");
}

// kvx_slow takes 19.5 s on its first call, far beyond the program's 10 s wait, and 1.5 s on each
// later one: the program says so once its limit has passed and keeps the component loaded while the
// call still runs in it. Registered again at once, the component is entered only once that first
// call has left it, and the new call then has a whole wait of its own: the second outcome tells the
// truth, no two threads were ever inside, and the component is unloaded once none is. Under
// regsvr32 each call is a process of its own, so two never meet there.
TEST(World, OneThreadInsideAComponentAtATime) {
    const std::string slow = Component("kvx_slow."), key = kClasses + "{9C3E5A71-2B84-4F0D-A6E9-51D7C08B3F26}";
    Kalvex app;
    ASSERT_TRUE(app.Launch());
    app.Confirm(C::cmdRegister, slow + "ocx");
    app.Click(C::cmdProceed);
    EXPECT_EQ(app.Answer(), "WWW");
    WaitFor([&] { return Exists(slow + "started"); }, 5000);
    const DWORD start = ::GetTickCount();
    const DWORD elapsed = app.WaitForBox(15000) != nullptr ? ::GetTickCount() - start : 0;
    EXPECT_FALSE(Exists(slow + "unloaded")) << "its worker still runs in it";
    EXPECT_TRUE(elapsed >= 9500 && elapsed <= 15000) << "its message " << elapsed << " ms after its worker started";
    EXPECT_EQ(app.BackToNormal(app.Answer()), "Process failed in signaled state or time-out.");
    EXPECT_EQ(Number(key, L"Calls"), "-") << "the first call is still inside";
    EXPECT_EQ(app.Outcome(C::cmdRegister, slow + "ocx"), kCompleted);
    EXPECT_EQ(Number(key, L"Calls"), "2");
    EXPECT_EQ(Number(key, L"MostInside"), "1") << "threads inside at once";
    EXPECT_TRUE(WaitFor([&] { return Exists(slow + "unloaded"); }, 3000)) << "unloaded once no call is inside";
    EXPECT_EQ(app.Outcome(C::cmdUnregister, slow + "ocx"), kCompleted);
    EXPECT_EQ(Number(key, L"Calls"), "-");
    EXPECT_EQ(app.Close(), kExited);
    for (const char* marker : {"started", "finished", "unloaded"}) ::DeleteFileA((slow + marker).c_str());
}

// kvx_ask asks the user in a Yes/No box owned by the foreground window, the program's own, which
// runs on another thread: the box comes at once, Yes registers the class, and the window is enabled
// again and registers the next component.
TEST(World, AComponentThatAsksTheUserIsAnswered) {
    const std::string ask = Component("kvx_ask.ocx"), good = Component("kvx_good.ocx");
    Kalvex app;
    ASSERT_TRUE(app.Launch());
    app.Confirm(C::cmdRegister, ask);
    app.Click(C::cmdProceed);
    EXPECT_EQ(app.Answer(), "WWW");
    EXPECT_EQ(app.Choose(IDYES), "Register the Kalvex test class? <kvx_ask>");
    EXPECT_LT(app.answerMs, 5000u) << "the component's question came late";
    EXPECT_EQ(app.BackToNormal(app.Answer()), kCompleted);
    EXPECT_EQ(Server("{E1A4C8D2-6F35-4B97-8D02-7C5B3E9A4F18}"), Upper(ask));
    EXPECT_TRUE(::IsWindowEnabled(app.window));
    EXPECT_EQ(app.Outcome(C::cmdRegister, good), kCompleted);
    EXPECT_SOON(GoodServer(), Upper(good));
    EXPECT_EQ(app.Outcome(C::cmdUnregister, ask), kCompleted);
    EXPECT_EQ(app.Outcome(C::cmdUnregister, good), kCompleted);
    EXPECT_EQ(app.Close(), kExited);
}

}  // namespace

}  // namespace e2e
