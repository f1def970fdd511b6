// The numbered buttons, on copies of the program in folders whose names the command processor
// would stumble over: one named in three scripts, and "kalvex (1) R&D" (a second download, in a
// folder named "R&D"). A press writes its batch file next to the program, the hint names it, and the
// batch file runs: the tools it starts are stood in for by a program that notes its command line.
#include "scenario.h"

namespace e2e {

namespace {

std::string Hint(const std::string& path) {
    return "If not successful then \r\n\r\nrightclick on '" + path + "\r\n\r\n and select 'Run as Adminstrator'";
}

const std::string kRan = "C:\\kvx-batch-ran.txt";  // where the stand-in notes its command lines

// After a numbered button's press: the hint, then the batch file `file`, which holds `commands`
// after its "cd", runs and starts what `ran` says; the command processor is then ended, and the
// window is back in normal mode.
void ExpectLaunch(Kalvex& app, const std::string& file, const std::string& commands, const std::string& ran) {
    SCOPED_TRACE(file);
    EXPECT_EQ(app.Answer(), Hint(file));
    EXPECT_TRUE(WaitFor([&] { return Contents(kRan) == ran; })) << Contents(kRan) << app.Children();
    // Gone once the stand-in has let go of it.
    EXPECT_TRUE(WaitFor([&] { return ::DeleteFileA(kRan.c_str()) != FALSE; }));
    EXPECT_EQ(Contents(file), "cd " + System32() + "\r\n" + commands);
    EXPECT_TRUE(WaitFor([&] { return app.Children(true).empty(); }, 5000)) << app.Children();
    EXPECT_SOON(app.Mode(), "normal");
}

// The program copied into each folder, started from C:\ (an elevated start begins in the system
// folder, on that drive, where the batch file's "cd" takes effect). The batch files change to the
// 32-bit system folder and start regsvr32 and regtlib there: meanwhile the stand-in lies there under
// both names, as a .com, which the command processor takes before an .exe of the same name.
TEST(Batch, NumberedButtonsWriteAndRunTheirBatchFilesFromAnyFolder) {
    const char* const kTools[] = {"\\regsvr32.com", "\\regtlib.com"};
    for (const char* tool : kTools)
        ::CopyFileA(Component("standin\\regsvr32.com").c_str(), (System32() + tool).c_str(), FALSE);
    for (const std::string folder : {"C:\\Программа 北京 é", "C:\\kalvex (1) R&D"}) {
        ::CreateDirectoryA(folder.c_str(), nullptr);
        ::CopyFileA(g_situation.exe.c_str(), (folder + "\\kalvex.exe").c_str(), FALSE);
        Place(folder + "\\register.bat", std::string(5000, 'x'));  // an older, much longer one
        Kalvex app;
        ASSERT_TRUE(app.Launch(folder + "\\kalvex.exe", "C:\\")) << folder;
        app.Click(C::Command1_1);
        ExpectLaunch(app, folder + "\\register.bat", "regsvr32 mscomctl.ocx\r\nregtlib msdatsrc.tlb\r\npause",
                     "regsvr32 mscomctl.ocx\nregtlib msdatsrc.tlb\n");
        app.Click(C::Command1_0);
        ExpectLaunch(app, folder + "\\unregister.bat", "regsvr32 /u mscomctl.ocx\r\npause",
                     "regsvr32 /u mscomctl.ocx\n");
        EXPECT_EQ(app.Close(), kExited);
    }
    for (const char* tool : kTools) ::DeleteFileA((System32() + tool).c_str());
}

}  // namespace

}  // namespace e2e
