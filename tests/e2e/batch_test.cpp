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

// While it lives, the stand-in lies at the system folder's cmd.exe (the real one kept aside) and
// Wine is told to prefer that file to its own command processor, for every program started
// meanwhile; a program's own WINEDLLOVERRIDES would not reach the programs it starts. The stand-in
// notes its command line in kRan. PutBack undoes both.
class CommandProcessorStandIn {
public:
    CommandProcessorStandIn() {
        ::CopyFileA(mReal.c_str(), mKept.c_str(), FALSE);
        ::CopyFileA(Component("standin\\regsvr32.com").c_str(), mReal.c_str(), FALSE);
        ::RegSetKeyValueA(HKEY_CURRENT_USER, kOverrides, "cmd.exe", REG_SZ, "native", sizeof("native"));
    }
    ~CommandProcessorStandIn() { PutBack(); }
    CommandProcessorStandIn(const CommandProcessorStandIn&) = delete;
    CommandProcessorStandIn& operator=(const CommandProcessorStandIn&) = delete;

    void PutBack() const {
        ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kOverrides, "cmd.exe");
        if (Exists(mKept)) ::MoveFileExA(mKept.c_str(), mReal.c_str(), MOVEFILE_REPLACE_EXISTING);
    }

private:
    static constexpr const char* kOverrides = "Software\\Wine\\DllOverrides";
    const std::string mReal = g_situation.systemDir + "\\cmd.exe";
    const std::string mKept = g_situation.systemDir + "\\kvx-real-cmd.exe";
};

// Started with hostile arguments, or from a folder whose name holds a %NAME%, button 2 hands the
// command processor a line that runs the batch file and nothing else. The line is observed as the
// shell passes it, then run with the real command processor while the batch file only leaves a
// mark: the mark appears, and nothing that the arguments or the folder's name ask for happens.
// Expanded, %KVX_PWN% closes the quotes around it (Windows' command processor expands before it
// looks for "&"; Wine's after, so there it stays harmless either way), and the folder
// C:\kvx%KVX_DIR% becomes C:\kvx-decoy, whose register.bat would leave the same file.
TEST(Batch, HostileArgumentsAndFolderNamesStayData) {
    const std::string pwned = "C:\\kvx-pwned.txt", mark = "C:\\kvx-batch-mark.txt";
    ::SetEnvironmentVariableA("KVX_PWN", "\" & echo pwned> C:\\kvx-pwned.txt & rem \"");
    ::SetEnvironmentVariableA("KVX_DIR", "-decoy");
    ::CreateDirectoryA("C:\\kvx-decoy", nullptr);
    Place("C:\\kvx-decoy\\register.bat", "@echo pwned> " + pwned + "\r\n");
    struct Case {
        std::string folder;     // holds the program
        std::string arguments;  // its command line after its name
    };
    const Case cases[] = {{"C:\\kvx data", "x & echo pwned> C:\\kvx-pwned.txt & rem"},
                          {"C:\\kvx data", "%KVX_PWN% x"},
                          {"C:\\kvx%KVX_DIR%", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder + " " + c.arguments);
        ::CreateDirectoryA(c.folder.c_str(), nullptr);
        ::CopyFileA(g_situation.exe.c_str(), (c.folder + "\\kalvex.exe").c_str(), FALSE);
        CommandProcessorStandIn standIn;
        Kalvex app;
        ASSERT_TRUE(app.Launch(c.folder + "\\kalvex.exe", "C:\\", c.arguments));
        app.Click(C::Command1_1);
        EXPECT_EQ(app.Answer(), Hint(c.folder + "\\register.bat"));
        EXPECT_TRUE(WaitFor([&] { return Contents(kRan).find('\n') != std::string::npos; })) << app.Children();
        const std::string line = Contents(kRan).substr(0, Contents(kRan).find('\n'));
        EXPECT_TRUE(WaitFor([&] { return ::DeleteFileA(kRan.c_str()) != FALSE; }));
        EXPECT_EQ(app.Close(), kExited);
        standIn.PutBack();

        Place(c.folder + "\\register.bat", "@echo ran> " + mark + "\r\n");
        Process real;
        ASSERT_TRUE(real.Start(line)) << line;
        EXPECT_EQ(real.ExitCode(15000), 0u) << line;
        EXPECT_EQ(Contents(mark), "ran\r\n") << line;
        EXPECT_FALSE(Exists(pwned)) << line;
        ::DeleteFileA(mark.c_str());
        ::DeleteFileA(pwned.c_str());
    }
    ::SetEnvironmentVariableA("KVX_PWN", nullptr);
    ::SetEnvironmentVariableA("KVX_DIR", nullptr);
}

}  // namespace

}  // namespace e2e
