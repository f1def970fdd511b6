// Components registered inside the program see the world they see under regsvr32 /s in the same
// Windows: the system's code page, and windows that take the messages sent to them.
#include <cstdio>

#include "scenario.h"

namespace e2e {

namespace {

const std::string kClasses = "Software\\Classes\\CLSID\\";

// kvx_codepage writes a Western text as Windows-1252 bytes with its own ANSI calls, and the code
// page it runs under: inside the program both are what they are under regsvr32 /s, the text intact
// and the code page the system's, not UTF-8 (which would turn the text's bytes into U+FFFD).
TEST(World, ComponentSeesTheSystemCodePage) {
    const std::string codepage = Component("kvx_codepage.ocx");
    const std::string key = kClasses + "{3D8FAF2C-943A-4ECD-8B5B-AF4FFB5BC178}";
    const auto codePage = [&] {
        DWORD acp = 0, size = sizeof(acp);
        ::RegGetValueW(HKEY_CURRENT_USER, Utf16(key).c_str(), L"ACP", RRF_RT_REG_DWORD, nullptr, &acp, &size);
        return acp;
    };
    Kalvex app;
    ASSERT_TRUE(app.Launch());
    EXPECT_EQ(app.Outcome(C::cmdRegister, codepage), kCompleted);
    const std::string text = RegText(HKEY_CURRENT_USER, key, "Description");
    const DWORD acp = codePage();
    EXPECT_EQ(app.Outcome(C::cmdUnregister, codepage), kCompleted);
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, key, "Description"), "");
    EXPECT_EQ(app.Close(WM_CLOSE), kExited);

    EXPECT_EQ(Regsvr32("/s", codepage), kExited);
    const std::string regsvr32Text = RegText(HKEY_CURRENT_USER, key, "Description");
    const DWORD regsvr32Acp = codePage();
    EXPECT_EQ(Regsvr32("/u /s", codepage), kExited);
    std::printf("# kvx_codepage: \"%s\" code page %lu in the program, \"%s\" code page %lu under regsvr32\n",
                text.c_str(), acp, regsvr32Text.c_str(), regsvr32Acp);
    EXPECT_EQ(text, regsvr32Text);
    EXPECT_EQ(acp, regsvr32Acp);
    EXPECT_EQ(text, "Société Générale für Müller © 1999");
    EXPECT_NE(acp, 65001u) << "the program's own code page is UTF-8";
}

// kvx_broadcast sends WM_SETTINGCHANGE to every top-level window while it registers (a 5 s limit
// per window) and while it unregisters (no limit). The program's window answers while it waits for
// the component: each step ends well within a second of the notice's OK, and the class comes and
// goes, as under regsvr32 /s. The driver owns no window, so nothing of its own holds a step up.
TEST(World, BroadcastingComponentEndsAtOnce) {
    const std::string broadcast = Component("kvx_broadcast.ocx");
    const std::string server = kClasses + "{D65F9F14-D522-4067-97AD-D42885DCF3AD}\\InprocServer32";
    const struct {
        const char* name;
        C button;
        const char* options;
        std::string registered;
    } kSteps[] = {{"register", C::cmdRegister, "/s", Upper(broadcast)}, {"unregister", C::cmdUnregister, "/u /s", ""}};
    Kalvex app;
    ASSERT_TRUE(app.Launch());
    for (const auto& step : kSteps) {
        EXPECT_EQ(app.Outcome(step.button, broadcast), kCompleted) << step.name;
        std::printf("# kvx_broadcast, %s: %lu ms in the program\n", step.name, app.answerMs);
        EXPECT_LT(app.answerMs, 1000u) << step.name;
        EXPECT_EQ(Upper(RegText(HKEY_CURRENT_USER, server)), step.registered);
    }
    EXPECT_EQ(app.Close(WM_CLOSE), kExited);
    for (const auto& step : kSteps) {
        DWORD ms = 0;
        EXPECT_EQ(Regsvr32(step.options, broadcast, &ms), kExited) << step.name;
        std::printf("# kvx_broadcast, %s: %lu ms under regsvr32 %s\n", step.name, ms, step.options);
        EXPECT_LT(ms, 1000u) << step.name;
        EXPECT_EQ(Upper(RegText(HKEY_CURRENT_USER, server)), step.registered);
    }
}

}  // namespace

}  // namespace e2e
