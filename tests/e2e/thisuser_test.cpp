// Registering for this user only. Wine lets every process write the machine's classes, so the
// components that play a refusing machine (kvx_refusing.c) refuse themselves wherever their write
// through HKEY_CLASSES_ROOT reached the machine's classes. Started with a limited user's rights, the
// program offers to do what was refused for this user only; Yes runs the component again with
// HKEY_CLASSES_ROOT standing for HKEY_CURRENT_USER\Software\Classes, and for no longer than its
// worker runs.
#include "scenario.h"

namespace e2e {

namespace {

const std::string kRefusing = "CLSID\\{C891DCC3-27B2-4FB2-B673-2F8A45E0ED9A}";
const std::string kLibrary = "TypeLib\\{13786B84-E85A-4DB4-BCB5-8F8BB8C704E3}";
const std::string kSlow = "CLSID\\{121C74E8-DC00-4851-B9FB-08D80E3789D2}";
const std::string kMachine = "CLSID\\{841FBACB-8B80-45A5-B213-23AC58E0846E}";
const std::string kServer = "\\InprocServer32";
const std::string kNoKey = "<no key>";
const std::string kDenied = "Process failed with error code 0x80070005.";
const std::string kTimeOut = "Process failed in signaled state or time-out.";
// kvx_refusing_slow's marker `name`, beside it.
std::string Marker(const char* name) { return Component("kvx_refusing_slow.") + name; }

// Software\Classes\<key> of `hive`, seen as the program sees it: its value `value` (the default
// value when null) in upper case, "" when it has none, kNoKey when the key is not there.
std::string Entry(HKEY hive, const std::string& key, const char* value = nullptr) {
    HKEY found = nullptr;
    if (::RegOpenKeyExA(hive, ("Software\\Classes\\" + key).c_str(), 0, KEY_READ, &found) != ERROR_SUCCESS)
        return kNoKey;
    char text[1024] = {};
    DWORD size = sizeof(text) - 1;
    ::RegQueryValueExA(found, value, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    ::RegCloseKey(found);
    return Upper(text);
}

std::string RegisterOffer(const std::string& file) {
    return "Register " + file +
           " for this user only? The programs you run will find it; programs run as administrator and other users "
           "will not.";
}

std::string UnregisterOffer(const std::string& file) {
    return "Unregister " + file + " for this user only? This removes what registering it for this user wrote.";
}

}  // namespace

// Each test starts and ends with none of the components' keys in either hive.
class Thisuser : public testing::Test {
protected:
    void SetUp() override { CleanUp(); }
    void TearDown() override { CleanUp(); }

    static void CleanUp() {
        for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            for (const std::string& key : {kRefusing, kLibrary, kSlow, kMachine})
                ::RegDeleteTreeA(hive, ("Software\\Classes\\" + key).c_str());
        }
        for (const char* marker : {"started", "finished"}) ::DeleteFileA(Marker(marker).c_str());
    }
};

// No: nothing more happens, and nothing is registered anywhere.
TEST_F(Thisuser, NoRegistersNothing) {
    Kalvex app;
    ASSERT_TRUE(app.LaunchLimited());
    const Told told = Split(Answered(app, C::cmdRegister, Component("kvx_refusing.ocx"), IDNO));
    EXPECT_EQ(told.first, kDenied);
    EXPECT_EQ(told.last, RegisterOffer("kvx_refusing.ocx"));
    EXPECT_SOON(app.Mode(), "normal");
    EXPECT_EQ(app.Answer(1000), "");
    EXPECT_EQ(Entry(HKEY_CURRENT_USER, kRefusing), kNoKey);
    EXPECT_EQ(Entry(HKEY_LOCAL_MACHINE, kRefusing), kNoKey);
    EXPECT_EQ(app.Close(), kExited);
}

// Yes registers in the user's classes alone, and unregistering for this user takes it away there:
// a class, and a type library that oleaut32 registers for the component. In between, a
// registration for all users writes the machine's classes again.
TEST_F(Thisuser, YesRegistersAndUnregistersInTheUsersClasses) {
    struct Case {
        std::string file;
        std::string refusal;  // the first line of the box that offers
        std::string key;      // what registering writes, under Software\Classes
        std::string value;    // its default value
    };
    const Case cases[] = {
        {"kvx_refusing.ocx", kDenied, kRefusing + kServer, Component("kvx_refusing.ocx")},
        {"kvx_refusing_tlb.ocx", "Process failed with error code 0x8002801C.",
         kLibrary + (sizeof(void*) == 8 ? "\\1.0\\0\\win64" : "\\1.0\\0\\win32"), Component("kvx_refusing_tlb.tlb")},
    };
    Kalvex app;
    ASSERT_TRUE(app.LaunchLimited());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(Split(Answered(app, C::cmdRegister, Component(c.file), IDYES)).first, c.refusal);
        EXPECT_EQ(app.BackToNormal(app.Answer()), kCompleted + "\r\n\r\nRegistered for this user only.");
        EXPECT_EQ(Entry(HKEY_CURRENT_USER, c.key), Upper(c.value));
        EXPECT_EQ(Entry(HKEY_LOCAL_MACHINE, c.key), kNoKey);
        EXPECT_EQ(app.Outcome(C::cmdRegister, Component("kvx_machine.ocx")), kCompleted);
        EXPECT_EQ(Entry(HKEY_LOCAL_MACHINE, kMachine + kServer), Upper(Component("kvx_machine.ocx")));
        EXPECT_EQ(Entry(HKEY_CURRENT_USER, kMachine), kNoKey);
        EXPECT_EQ(app.Outcome(C::cmdUnregister, Component("kvx_machine.ocx")), kCompleted);

        const Told told = Split(Answered(app, C::cmdUnregister, Component(c.file), IDYES));
        EXPECT_EQ(told.first, c.refusal);
        EXPECT_EQ(told.last, UnregisterOffer(c.file));
        EXPECT_EQ(app.BackToNormal(app.Answer()), kCompleted + "\r\n\r\nUnregistered for this user only.");
        EXPECT_EQ(Entry(HKEY_CURRENT_USER, c.key), kNoKey);
    }
    EXPECT_EQ(app.Close(), kExited);
}

// kvx_refusing_slow's registration for this user outlives the 10 s wait: the program tells so, and
// keeps the user's classes mapped until it ends. A registration for all users meanwhile waits for it
// first (within its own 10 s), then writes the machine's classes; the slow one completes its key in
// the user's.
TEST_F(Thisuser, AllUsersWaitForALingeringWorkerForThisUser) {
    const std::string slow = Component("kvx_refusing_slow.ocx"), machine = Component("kvx_machine.ocx");
    Kalvex app;
    ASSERT_TRUE(app.LaunchLimited());
    EXPECT_EQ(Split(Answered(app, C::cmdRegister, Component("kvx_refusing_slow.ocx"), IDYES)).first, kDenied);
    const std::string timedOut = kTimeOut + "\r\n\r\nRegistering for this user only did not complete.";
    EXPECT_EQ(app.BackToNormal(app.Answer()).substr(0, timedOut.size()), timedOut);
    EXPECT_TRUE(Exists(Marker("started")));
    EXPECT_FALSE(Exists(Marker("finished"))) << "kvx_refusing_slow ended within the wait";

    EXPECT_EQ(app.Outcome(C::cmdRegister, machine), kCompleted);
    EXPECT_TRUE(Exists(Marker("finished")));
    EXPECT_EQ(Entry(HKEY_LOCAL_MACHINE, kMachine + kServer), Upper(machine));
    EXPECT_EQ(Entry(HKEY_CURRENT_USER, kMachine), kNoKey);
    EXPECT_SOON(Entry(HKEY_CURRENT_USER, kSlow + kServer, "ThreadingModel"), "APARTMENT");
    EXPECT_EQ(Entry(HKEY_CURRENT_USER, kSlow + kServer), Upper(slow));
    EXPECT_EQ(Entry(HKEY_LOCAL_MACHINE, kSlow), kNoKey);
    EXPECT_EQ(app.Close(), kExited);
}

// Started elevated, an access error is told in a plain box, without the offer.
TEST_F(Thisuser, ElevatedIsNotOffered) {
    Kalvex app;
    ASSERT_TRUE(app.Launch());
    const std::string box = app.Outcome(C::cmdRegister, Component("kvx_refusing.ocx"));
    EXPECT_EQ(Split(box).first, kDenied);
    EXPECT_EQ(box.find("for this user only"), std::string::npos) << box;
    EXPECT_EQ(Entry(HKEY_CURRENT_USER, kRefusing), kNoKey);
    EXPECT_EQ(Entry(HKEY_LOCAL_MACHINE, kRefusing), kNoKey);
    EXPECT_EQ(app.Close(), kExited);
}

}  // namespace e2e
