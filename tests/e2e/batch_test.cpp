// The numbered buttons, on copies of the program in folders whose names the command processor
// would stumble over: one named in three scripts, and "kalvex (1) R&D" (a second download, in a
// folder named "R&D"). A press writes its batch file next to the program, the hint names it, and the
// batch file runs: the tools it starts are stood in for by a program that notes its command line.
#include <tlhelp32.h>

#include "scenario.h"

namespace e2e {

namespace {

// The processes that `parent` started and that still run, by name; with `end`, they are ended.
std::string Children(DWORD parent, bool end = false) {
    std::string names;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 e = {sizeof(e)};
    for (BOOL more = ::Process32First(snapshot, &e); more; more = ::Process32Next(snapshot, &e)) {
        if (e.th32ParentProcessID != parent) continue;
        names += Upper(e.szExeFile) + " ";
        HANDLE process = end ? ::OpenProcess(PROCESS_TERMINATE, FALSE, e.th32ProcessID) : nullptr;
        if (process == nullptr) continue;
        ::TerminateProcess(process, 1);
        ::CloseHandle(process);
    }
    ::CloseHandle(snapshot);
    return names;
}

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
    EXPECT_TRUE(WaitFor([&] { return Contents(kRan) == ran; })) << Contents(kRan) << Children(app.Id());
    // Gone once the stand-in has let go of it.
    EXPECT_TRUE(WaitFor([&] { return ::DeleteFileA(kRan.c_str()) != FALSE; }));
    EXPECT_EQ(Contents(file), "cd " + System32() + "\r\n" + commands);
    EXPECT_TRUE(WaitFor([&] { return Children(app.Id(), true).empty(); }, 5000)) << Children(app.Id());
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

// The command line the program has the shell start, handed to the command processor itself: it runs
// the batch file in "kalvex (1) R&D". The form the shell uses for a batch file of its own accord,
// /C "<file>" <parameters>, runs nothing there: the test tells the two apart.
TEST(Batch, CommandProcessorRunsTheBatchFileOnlyInTheProgramsForm) {
    const std::string file = "C:\\kalvex (1) R&D\\register.bat", cmd = "\"" + g_situation.systemDir + "\\cmd.exe\" /C ";
    ::CreateDirectoryA("C:\\kalvex (1) R&D", nullptr);
    Place(file, "cd " + System32() + "\r\nregsvr32 mscomctl.ocx");
    ::CopyFileA(Component("standin\\regsvr32.com").c_str(), (System32() + "\\regsvr32.com").c_str(), FALSE);
    const std::string programs = cmd + "\"\"" + file + "\" /admin\"", shells = cmd + "\"" + file + "\" /admin";
    for (const bool programsForm : {true, false}) {
        Process process;
        ASSERT_TRUE(process.Start(programsForm ? programs : shells, "C:\\"));
        EXPECT_NE(process.ExitCode(10000), STILL_ACTIVE);
        EXPECT_EQ(Contents(kRan), programsForm ? "regsvr32 mscomctl.ocx\n" : "") << programsForm;
        ::DeleteFileA(kRan.c_str());
    }
    ::DeleteFileA((System32() + "\\regsvr32.com").c_str());
}

// A folder named register.bat in the way: the message says so, nothing starts, the window goes on.
TEST(Batch, NothingStartsWhenTheBatchFileCannotBeWritten) {
    const std::string folder = "C:\\kvx-blocked", reg = folder + "\\register.bat";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::CopyFileA(g_situation.exe.c_str(), (folder + "\\kalvex.exe").c_str(), FALSE);
    ::CreateDirectoryA(reg.c_str(), nullptr);
    std::string denied(512, '\0');  // the system's wording, without the line break at its end
    denied.resize(::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                   ERROR_ACCESS_DENIED, 0, &denied[0], 512, nullptr));
    denied.erase(denied.find_last_not_of("\r\n ") + 1);
    Kalvex app;
    ASSERT_TRUE(app.Launch(folder + "\\kalvex.exe"));
    app.Click(C::Command1_1);
    EXPECT_EQ(app.Answer(), Hint(reg));
    EXPECT_EQ(app.Answer(), reg + " " + denied);
    EXPECT_FALSE(WaitFor([&] { return !Children(app.Id()).empty(); }, 2000)) << Children(app.Id());
    EXPECT_SOON(app.Mode(), "normal");
    EXPECT_EQ(app.Close(), kExited);
}

}  // namespace

}  // namespace e2e
