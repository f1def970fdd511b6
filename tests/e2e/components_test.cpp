// Components built the way real ones are, names that the check and the load could take for
// different files, any path and any company, and a version.dll planted beside the program.
#include "scenario.h"

namespace e2e {

namespace {

// Whether kvx_com's class is marked with its category.
bool Marked() {
    const char* const category =
        "CLSID\\{8D0C52A4-3E61-4B9F-8C2A-61F0D4E7B935}\\Implemented Categories\\{5A71E0C3-9B24-4D86-A15F-3C8E27D064B9}";
    HKEY key = nullptr;
    const bool marked = ::RegOpenKeyExA(HKEY_CLASSES_ROOT, category, 0, KEY_READ, &key) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return marked;
}

// In a folder that is neither the program's nor the current one: a component that marks its class
// through COM (without COM both its entry points fail), one that imports a helper beside it (it does
// not load without), one whose entry points fault (its worker ends, the window goes on), one that
// fails, named with forward slashes. Then a relative name with a decoy of that name beside the
// program, and a name without extension beside name.dll.
TEST(Components, RegisterWhereTheyLie) {
    const std::string there = "C:\\Components", current = "C:\\kvx-current", good = Component("kvx_good.ocx");
    const std::string com = there + "\\kvx_com.ocx", helped = there + "\\kvx_helped.ocx";
    const std::string fault = there + "\\kvx_fault.ocx";
    const std::string kFailed = "Process failed with error code ", kHelped = "{2F6B8E17-C4D0-4A53-9E71-B8A3D2C5F064}";
    ::CreateDirectoryA(current.c_str(), nullptr);
    ::CopyFileA(good.c_str(), (current + "\\kvx_twin.ocx").c_str(), FALSE);
    ::CopyFileA(Component("kvx_denied.ocx").c_str(), Component("kvx_twin.ocx").c_str(), FALSE);  // the decoy
    ::CopyFileA(good.c_str(), (there + "\\twin.dll").c_str(), FALSE);
    Place(there + "\\twin", "a text file beside twin.dll");
    Kalvex app;
    ASSERT_TRUE(app.Launch(g_situation.exe, current)) << "in a current folder of its own";
    EXPECT_EQ(app.Outcome(C::cmdRegister, com), kCompleted);
    EXPECT_TRUE(Marked());
    EXPECT_EQ(app.Outcome(C::cmdUnregister, com), kCompleted);
    EXPECT_FALSE(Marked());
    EXPECT_EQ(app.Outcome(C::cmdRegister, helped), kCompleted);
    EXPECT_EQ(Server(kHelped), Upper(helped));
    EXPECT_EQ(Server(kHelped, "Helper"), "HELPED");
    EXPECT_EQ(app.Outcome(C::cmdUnregister, helped), kCompleted);
    EXPECT_EQ(Server(kHelped), "");
    EXPECT_EQ(app.Outcome(C::cmdRegister, fault), kFailed + "0xC0000005.");
    EXPECT_EQ(app.Outcome(C::cmdUnregister, fault), kFailed + "0xE0564B58.");
    EXPECT_EQ(app.Outcome(C::cmdRegister, g_situation.exeDir + "/kvx_denied.ocx"),
              kFailed + "0x80070005.\r\n\r\nkvx_denied.ocx answered: Access denied.");  // a failure result
    // The current folder's kvx_twin.ocx is the one checked, shown and registered.
    EXPECT_EQ(app.Confirm(C::cmdRegister, "kvx_twin.ocx"), kVersion);
    EXPECT_EQ(app.Proceed(), kCompleted);
    EXPECT_SOON(GoodServer(), Upper(current + "\\kvx_twin.ocx"));
    EXPECT_EQ(app.Outcome(C::cmdUnregister, "kvx_twin.ocx"), kCompleted);
    // "twin" is a text file: nothing is shown and nothing is loaded, twin.dll included.
    EXPECT_EQ(app.Confirm(C::cmdRegister, there + "\\twin"), kNoVersion);
    EXPECT_EQ(app.Proceed(),
              "Failure loading control DLL\r\n\r\ntwin is not a Windows library (DLL or OCX): it is a "
              "file of another kind, or it was damaged or cut short while it was copied or downloaded. "
              "Get the component again.");
    EXPECT_SOON(GoodServer(), "");
    EXPECT_EQ(app.Close(), kExited);
    ::DeleteFileA(Component("kvx_twin.ocx").c_str());
}

// Components that fault the way buggy real ones do: one leaves a class object whose Release faults
// when COM is shut down after its entry point returned success, one overflows its stack. Each
// outcome tells what happened, and the next component registers all the same.
TEST(Components, AFaultIsToldAndTheNextOneRegisters) {
    const std::string good = Component("kvx_good.ocx"), failed = "Process failed with error code ";
    struct Case {
        const char* file;
        std::string outcome;
    };
    const Case cases[] = {
        {"kvx_leftover.ocx", failed + "0xC0000005.\r\n\r\nThe component's entry point returned, then the component "
                                      "faulted while COM was shut down after it. What it registered may be "
                                      "incomplete; the component stays loaded until Kalvex ends."},
        {"kvx_overflow.ocx", failed + "0xC00000FD."},
    };
    Kalvex app;
    ASSERT_TRUE(app.Launch());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(app.Outcome(C::cmdRegister, Component(c.file)), c.outcome);
        EXPECT_EQ(app.Outcome(C::cmdRegister, good), kCompleted);
        EXPECT_SOON(GoodServer(), Upper(good));
        EXPECT_EQ(app.Outcome(C::cmdUnregister, good), kCompleted);
    }
    EXPECT_EQ(Server("{6D2E9B48-15C7-4A3F-8E60-B94F1C2D7A35}"), Upper(Component("kvx_leftover.ocx")));
    EXPECT_EQ(app.Outcome(C::cmdUnregister, Component("kvx_leftover.ocx")), kCompleted);
    EXPECT_EQ(app.Close(), kExited);
}

// Any path, any company, from a copy of the program beside a planted version.dll: a component in a
// folder named in three scripts, whose company name is outside the Western code page, typed in as a
// person types; then an old 16-bit version block, whose single-byte company name has an "é" of the
// legacy code page; in confirmation mode the close box ends the program. The stand-in answers every
// version call with nothing, so the names shown prove that the version read did not use it, also
// where the system looks in the program's folder first (Wine does so when told, per program). Wine's
// own user32 imports version.dll, so the stand-in's marker shows that the setting took effect.
TEST(Components, AnyPathAndAnyCompanyBesideAPlantedVersionDll) {
    const std::string folder = "C:\\Компоненты 北京 Société", intl = folder + "\\kvx_intl.ocx";
    const std::string planted = "C:\\kvx-planted", overrides = "Software\\Wine\\AppDefaults\\kalvex.exe";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::CreateDirectoryA(planted.c_str(), nullptr);
    ::CopyFileA(Component("kvx_intl.ocx").c_str(), intl.c_str(), FALSE);
    ::CopyFileA(Component("planted\\version.dll").c_str(), (planted + "\\version.dll").c_str(), FALSE);
    ::CopyFileA(g_situation.exe.c_str(), (planted + "\\kalvex.exe").c_str(), FALSE);
    ::RegSetKeyValueA(HKEY_CURRENT_USER, (overrides + "\\DllOverrides").c_str(), "version", REG_SZ, "native,builtin",
                      sizeof("native,builtin"));
    Kalvex app;
    ASSERT_TRUE(app.Launch(planted + "\\kalvex.exe", planted));
    EXPECT_SOON(app.Focus(), C::text1);
    app.Type(intl);
    EXPECT_SOON(app.Text1(), intl);
    app.Click(C::cmdRegister);
    EXPECT_SOON(app.Screen(),
                "confirmation [Company Name:  Компания 北京 Société\r\nProduct Version:  3.0.0.7] please verify");
    EXPECT_EQ(app.Proceed(), kCompleted);
    const std::string recorded = GoodServer();  // by the component's own ANSI calls
    EXPECT_EQ(app.Outcome(C::cmdUnregister, intl), kCompleted);
    EXPECT_EQ(app.Confirm(C::cmdRegister, Component("kvx_legacy.ocx")),
              "confirmation [Company Name:  Société Kalvex\r\nProduct Version:  1.6.0.0] please verify");
    EXPECT_EQ(app.Close(WM_SYSCOMMAND, SC_CLOSE), kExited);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, overrides.c_str());
    EXPECT_TRUE(Exists(planted + "\\planted.loaded")) << "the setting took effect";
    DWORD ms = 0;
    EXPECT_EQ(Regsvr32(true, intl, ms), kCompleted);
    EXPECT_EQ(recorded, GoodServer()) << "as under regsvr32";
    EXPECT_EQ(Regsvr32(false, intl, ms), kCompleted);
}

}  // namespace

}  // namespace e2e
