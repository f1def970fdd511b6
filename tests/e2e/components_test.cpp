// Components built the way real ones are, and names that the check and the load could take for
// different files; then a version.dll planted beside the program.
#include "scenario.h"

namespace e2e {

namespace {

// In a folder that is neither the program's nor the current one: a component that records its
// class in a component category through COM (without COM both its entry points fail), one that
// imports a helper beside it (it does not load without), one whose entry points fault. Then a
// relative name with a decoy of that name beside the program, and a name without extension beside
// name.dll.
TEST(Components, RegisterWhereTheyLie) {
    const std::string there = "C:\\Components", current = "C:\\kvx-current", good = Component("kvx_good.ocx");
    const std::string com = there + "\\kvx_com.ocx", helped = there + "\\kvx_helped.ocx";
    const std::string fault = there + "\\kvx_fault.ocx", kFailed = "Process failed with error code ";
    ::CreateDirectoryA(current.c_str(), nullptr);
    ::CopyFileA(good.c_str(), (current + "\\kvx_twin.ocx").c_str(), FALSE);
    ::CopyFileA(Component("kvx_denied.ocx").c_str(), Component("kvx_twin.ocx").c_str(), FALSE);  // the decoy
    ::CopyFileA(good.c_str(), (there + "\\twin.dll").c_str(), FALSE);
    Place(there + "\\twin", "a text file beside twin.dll");
    Kalvex app;
    ASSERT_TRUE(app.Launch(g_situation.exe, current)) << "in a current folder of its own";

    EXPECT_EQ(app.Outcome(C::cmdRegister, com), kCompleted);
    EXPECT_EQ(Registered(), "category=KALVEX TEST CONTROLS implements com=" + Upper(com));
    EXPECT_EQ(app.Outcome(C::cmdUnregister, com), kCompleted);
    EXPECT_EQ(Registered(), "") << "the COM component removed what it recorded";
    EXPECT_EQ(app.Outcome(C::cmdRegister, helped), kCompleted);
    EXPECT_EQ(Registered(), "helped=" + Upper(helped) + " helper=HELPED") << "it found its helper beside it";
    EXPECT_EQ(app.Outcome(C::cmdUnregister, helped), kCompleted);
    EXPECT_EQ(Registered(), "");
    // A faulting entry point ends its worker; the window goes on.
    EXPECT_EQ(app.Outcome(C::cmdRegister, fault), kFailed + "0xC0000005.");
    EXPECT_EQ(app.Outcome(C::cmdUnregister, fault), kFailed + "0xE0564B58.");
    EXPECT_EQ(app.Outcome(C::cmdRegister, good), kCompleted);
    EXPECT_EQ(app.Outcome(C::cmdUnregister, good), kCompleted);
    EXPECT_SOON(GoodServer(), "");

    // The current folder's kvx_twin.ocx is the one checked, shown and registered.
    EXPECT_EQ(app.Confirm(C::cmdRegister, "kvx_twin.ocx"), kVersion);
    EXPECT_EQ(app.Proceed(), kCompleted);
    EXPECT_SOON(GoodServer(), Upper(current + "\\kvx_twin.ocx"));
    EXPECT_EQ(app.Outcome(C::cmdUnregister, "kvx_twin.ocx"), kCompleted);
    // "twin" is a text file: nothing is shown and nothing is loaded, twin.dll included.
    EXPECT_EQ(app.Confirm(C::cmdRegister, there + "\\twin"), kNoVersion);
    EXPECT_EQ(app.Proceed(), kNotLoaded);
    EXPECT_SOON(GoodServer(), "");
    EXPECT_EQ(app.Close(WM_CLOSE), kExited);
    ::DeleteFileA(Component("kvx_twin.ocx").c_str());
}

// Any path, any company: a component in a folder named in three scripts, whose company name is
// outside the Western code page, typed in as a person types. Its server path, written by the
// component's own ANSI calls, is what the same calls write under regsvr32 /s: the system's code
// page, not the program, decides what becomes of the folder's name. Then an old 16-bit version
// block, whose single-byte company name has an "é" of the legacy code page.
TEST(Components, AnyPathAndAnyCompany) {
    const std::string folder = "C:\\Компоненты 北京 Société", intl = folder + "\\kvx_intl.ocx";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::CopyFileA(Component("kvx_intl.ocx").c_str(), intl.c_str(), FALSE);
    Kalvex app;
    ASSERT_TRUE(app.Launch());
    EXPECT_SOON(app.Focus(), C::text1);
    app.Type(intl);
    EXPECT_SOON(app.Text1(), intl);
    app.Click(C::cmdRegister);
    EXPECT_SOON(app.Screen(),
                "confirmation [Company Name:  Компания 北京 Société\r\nProduct Version:  3.0.0.7] please verify");
    EXPECT_EQ(app.Proceed(), kCompleted);
    const std::string server = GoodServer();
    EXPECT_EQ(app.Outcome(C::cmdUnregister, intl), kCompleted);
    EXPECT_SOON(GoodServer(), "");
    EXPECT_EQ(Regsvr32("/s", intl), kExited);
    EXPECT_EQ(server, GoodServer()) << "as under regsvr32";
    EXPECT_EQ(Regsvr32("/u /s", intl), kExited);
    EXPECT_EQ(app.Confirm(C::cmdRegister, Component("kvx_legacy.ocx")),
              "confirmation [Company Name:  Société Kalvex\r\nProduct Version:  1.6.0.0] please verify");
    EXPECT_EQ(app.Close(WM_CLOSE), kExited);
}

// A version.dll left beside the program does not serve the program's version read, also where the
// system looks in the program's folder first for libraries that it does not always take from its
// own folder; Wine does so when told, per program. The stand-in answers every call with nothing: a
// program that imported version.dll would show no version. Wine's own user32 imports version.dll
// (Windows' does not), so under that setting the stand-in is loaded into the process anyway: its
// marker shows that the setting took effect.
TEST(Planted, VersionDllBesideTheProgramIsNotUsed) {
    const std::string folder = "C:\\kvx-planted";
    const char* const overrides = "Software\\Wine\\AppDefaults\\kalvex.exe";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::CopyFileA(Component("planted\\version.dll").c_str(), (folder + "\\version.dll").c_str(), FALSE);
    ::CopyFileA(g_situation.exe.c_str(), (folder + "\\kalvex.exe").c_str(), FALSE);
    ::RegSetKeyValueA(HKEY_CURRENT_USER, (std::string(overrides) + "\\DllOverrides").c_str(), "version", REG_SZ,
                      "native,builtin", sizeof("native,builtin"));
    Kalvex app;
    EXPECT_TRUE(app.Launch(folder + "\\kalvex.exe", folder)) << "beside a planted version.dll";
    EXPECT_EQ(app.Confirm(C::cmdRegister, Component("kvx_good.ocx")), kVersion);
    EXPECT_EQ(app.Close(WM_CLOSE), kExited);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, overrides);
    EXPECT_TRUE(Exists(folder + "\\planted.loaded"))
        << "the setting took effect (Wine's own user32 loaded the stand-in)";
}

}  // namespace

}  // namespace e2e
