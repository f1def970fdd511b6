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

// kvx_broadcast's own limit per window that does not answer, when it registers.
constexpr DWORD kBroadcastLimitMs = 5000;

// kvx_codepage writes a Western text as Windows-1252 bytes with its own ANSI calls, and the code
// page it runs under: inside the program both are what they are under regsvr32 /s, the text intact
// and the code page the system's, not UTF-8 (which would turn the text's bytes into U+FFFD).
// kvx_broadcast sends WM_SETTINGCHANGE to every top-level window while it registers (a 5 s limit
// per window) and while it unregisters (no limit), and the class comes and goes, as under
// regsvr32 /s. A window that did not answer while the program waits for the component would hold
// registering up for the whole 5 s and unregistering past the program's own 10 s limit; one that
// answers lets each step end well inside the broadcast's limit and not far above what the same step
// took under regsvr32 in this run, process start included. The driver owns no window, so nothing of
// its own holds a step up.
TEST(World, ComponentsSeeWhatTheySeeUnderRegsvr32) {
    const std::string codepage = Component("kvx_codepage.ocx"), broadcast = Component("kvx_broadcast.ocx");
    const std::string key = kClasses + "{3D8FAF2C-943A-4ECD-8B5B-AF4FFB5BC178}";
    Kalvex app;
    ASSERT_TRUE(app.Launch());
    std::string recorded[2];       // under regsvr32, in the program
    DWORD regsvr32Ms[2] = {0, 0};  // kvx_broadcast's steps under regsvr32: unregistering, registering
    for (Kalvex* in : {static_cast<Kalvex*>(nullptr), &app}) {
        const std::string where = in != nullptr ? "in the program" : "under regsvr32";
        DWORD ms = 0, acp = 0, size = sizeof(acp);
        EXPECT_EQ(Registration(in, true, codepage, ms), kCompleted) << where;
        ::RegGetValueW(HKEY_CURRENT_USER, Utf16(key).c_str(), L"ACP", RRF_RT_REG_DWORD, nullptr, &acp, &size);
        recorded[in != nullptr] = RegText(key, "Description") + ", code page " + std::to_string(acp);
        EXPECT_EQ(Registration(in, false, codepage, ms), kCompleted) << where;
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
    EXPECT_EQ(recorded[1].rfind("Société Générale für Müller © 1999, code page ", 0), 0u) << recorded[1];
}

}  // namespace

}  // namespace e2e
