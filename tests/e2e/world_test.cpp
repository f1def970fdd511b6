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

// kvx_codepage writes a Western text as Windows-1252 bytes with its own ANSI calls, and the code
// page it runs under: inside the program both are what they are under regsvr32 /s, the text intact
// and the code page the system's, not UTF-8 (which would turn the text's bytes into U+FFFD).
// kvx_broadcast sends WM_SETTINGCHANGE to every top-level window while it registers (a 5 s limit
// per window) and while it unregisters (no limit): the program's window answers while it waits for
// the component, so each step ends well within a second, and the class comes and goes, as under
// regsvr32 /s. The driver owns no window, so nothing of its own holds a step up.
TEST(World, ComponentsSeeWhatTheySeeUnderRegsvr32) {
    const std::string codepage = Component("kvx_codepage.ocx"), broadcast = Component("kvx_broadcast.ocx");
    const std::string key = kClasses + "{3D8FAF2C-943A-4ECD-8B5B-AF4FFB5BC178}";
    Kalvex app;
    ASSERT_TRUE(app.Launch());
    std::string recorded[2];  // in the program, under regsvr32
    for (Kalvex* in : {&app, static_cast<Kalvex*>(nullptr)}) {
        const std::string where = in != nullptr ? "in the program" : "under regsvr32";
        DWORD ms = 0, acp = 0, size = sizeof(acp);
        EXPECT_EQ(Registration(in, true, codepage, ms), kCompleted) << where;
        ::RegGetValueW(HKEY_CURRENT_USER, Utf16(key).c_str(), L"ACP", RRF_RT_REG_DWORD, nullptr, &acp, &size);
        recorded[in == nullptr] = RegText(key, "Description") + ", code page " + std::to_string(acp);
        EXPECT_EQ(Registration(in, false, codepage, ms), kCompleted) << where;
        EXPECT_EQ(RegText(key, "Description"), "") << where;
        for (const bool registers : {true, false}) {
            EXPECT_EQ(Registration(in, registers, broadcast, ms), kCompleted) << where;
            EXPECT_LT(ms, 1000u) << "kvx_broadcast " << (registers ? "registering " : "unregistering ") << where;
            EXPECT_EQ(Server("{D65F9F14-D522-4067-97AD-D42885DCF3AD}"), registers ? Upper(broadcast) : "") << where;
        }
        if (in != nullptr) {
            EXPECT_EQ(app.Close(), kExited);
        }
    }
    EXPECT_EQ(recorded[0], recorded[1]);
    EXPECT_EQ(recorded[0].rfind("Société Générale für Müller © 1999, code page ", 0), 0u) << recorded[0];
}

}  // namespace

}  // namespace e2e
