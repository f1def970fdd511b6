// The numbered buttons, on copies of the program in folders whose names the command processor
// would stumble over: one named in three scripts, and "kalvex (1) R&D" (a second download, in a
// folder named "R&D"). A press writes its batch file next to the program, the hint names it, and the
// batch file runs: the tools it starts are stood in for by a program that notes its command line.
#include <tlhelp32.h>

#include <algorithm>
#include <set>

#include "scenario.h"

namespace e2e {

namespace {

// The processes that descend from `root`, by name; with `end`, they are ended.
std::string Descendants(DWORD root, bool end = false) {
    std::set<DWORD> tree = {root};
    std::string names;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 e = {sizeof(e)};
    for (size_t known = 0; known != tree.size();) {  // until no process joins
        known = tree.size();
        for (BOOL more = ::Process32First(snapshot, &e); more; more = ::Process32Next(snapshot, &e)) {
            if (tree.count(e.th32ParentProcessID) == 0 || !tree.insert(e.th32ProcessID).second) continue;
            names += Upper(e.szExeFile) + " ";
            HANDLE process = end ? ::OpenProcess(PROCESS_TERMINATE, FALSE, e.th32ProcessID) : nullptr;
            if (process == nullptr) continue;
            ::TerminateProcess(process, 1);
            ::CloseHandle(process);
        }
    }
    ::CloseHandle(snapshot);
    return names;
}

// The system's wording of an error, as FormatMessage gives it, without the line break at its end.
std::string SystemErrorText(DWORD code) {
    char text[512] = {};
    std::string wording(text, ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                               code, 0, text, sizeof(text), nullptr));
    return wording.erase(wording.find_last_not_of("\r\n ") + 1);
}

std::string Hint(const std::string& path) {
    return "If not successful then \r\n\r\nrightclick on '" + path + "\r\n\r\n and select 'Run as Adminstrator'";
}

const std::string kRan = "C:\\kvx-batch-ran.txt";  // where the stand-in notes its command lines
const std::string kRegisterRan = "regsvr32 mscomctl.ocx\nregtlib msdatsrc.tlb\n";
const std::string kUnregisterRan = "regsvr32 /u mscomctl.ocx\n";

// The batch files change to the 32-bit system folder and start regsvr32 and regtlib there. While
// this lives, the stand-in lies there under both names, as a .com, which the command processor
// takes before an .exe of the same name.
class StandIns {
public:
    StandIns() {
        for (const char* name : kNames)
            ::CopyFileA(Component("standin\\regsvr32.com").c_str(), (Folder() + name).c_str(), FALSE);
    }
    ~StandIns() {
        for (const char* name : kNames) ::DeleteFileA((Folder() + name).c_str());
        ::DeleteFileA(kRan.c_str());
    }
    StandIns(const StandIns&) = delete;
    StandIns& operator=(const StandIns&) = delete;

    // What they noted, once `lines` lines are there or `limitMs` has passed; then noted afresh.
    static std::string Ran(size_t lines, DWORD limitMs = 10000) {
        std::string ran;
        WaitFor(
            [&] {
                ran = Contents(kRan);
                return static_cast<size_t>(std::count(ran.begin(), ran.end(), '\n')) >= lines;
            },
            limitMs);
        ::DeleteFileA(kRan.c_str());
        return ran;
    }

private:
    static constexpr const char* kNames[] = {"\\regsvr32.com", "\\regtlib.com"};
    static std::string Folder() { return g_situation.windows64 ? "C:\\Windows\\SysWOW64" : "C:\\Windows\\System32"; }
};

// After a numbered button's press: the hint, then the batch file `file`, which holds `bytes`, runs
// and starts what `ran` says; every process it started is then ended, and the window is back in
// normal mode.
void ExpectLaunch(Kalvex& app, const std::string& file, const std::string& bytes, const std::string& ran) {
    SCOPED_TRACE(file);
    EXPECT_EQ(app.Answer(), Hint(file));
    EXPECT_EQ(StandIns::Ran(std::count(ran.begin(), ran.end(), '\n')), ran) << Descendants(app.Id());
    EXPECT_EQ(Contents(file), bytes);
    EXPECT_TRUE(WaitFor([&] { return Descendants(app.Id(), true).empty(); }, 5000)) << Descendants(app.Id());
    EXPECT_SOON(app.Mode(), "normal");
}

std::string BatchText(const std::string& commands) {
    return (g_situation.windows64 ? "cd C:\\Windows\\SysWOW64\r\n" : "cd C:\\Windows\\System32\r\n") + commands;
}

// The program copied into each folder, started from C:\ (an elevated start begins in the system
// folder, on that drive, where the batch file's "cd" takes effect).
TEST(Batch, NumberedButtonsWriteAndRunTheirBatchFilesFromAnyFolder) {
    const std::string reg = BatchText("regsvr32 mscomctl.ocx\r\nregtlib msdatsrc.tlb\r\npause");
    const std::string unreg = BatchText("regsvr32 /u mscomctl.ocx\r\npause");
    StandIns standIns;
    for (const std::string folder : {"C:\\Программа 北京 é", "C:\\kalvex (1) R&D"}) {
        ::CreateDirectoryA(folder.c_str(), nullptr);
        ::CopyFileA(g_situation.exe.c_str(), (folder + "\\kalvex.exe").c_str(), FALSE);
        Place(folder + "\\register.bat", std::string(5000, 'x'));  // an older, much longer one
        Kalvex app;
        ASSERT_TRUE(app.Launch(folder + "\\kalvex.exe", "C:\\")) << folder;
        app.Click(C::Command1_1);
        ExpectLaunch(app, folder + "\\register.bat", reg, kRegisterRan);
        app.Click(C::Command1_0);
        ExpectLaunch(app, folder + "\\unregister.bat", unreg, kUnregisterRan);
        EXPECT_EQ(app.Close(WM_CLOSE), kExited);
    }
}

// The command line the program has the shell start, handed to the command processor directly: it
// runs the batch file in "kalvex (1) R&D". The form the shell itself uses for a batch file,
// /C "<file>" <parameters>, runs nothing there.
TEST(Batch, CommandProcessorRunsTheBatchFileOnlyInTheProgramsForm) {
    const std::string file = "C:\\kalvex (1) R&D\\register.bat", cmd = "\"" + g_situation.systemDir + "\\cmd.exe\"";
    ::CreateDirectoryA("C:\\kalvex (1) R&D", nullptr);
    Place(file, BatchText("regsvr32 mscomctl.ocx\r\nregtlib msdatsrc.tlb\r\npause"));
    StandIns standIns;
    const struct {
        std::string line, ran;
    } kCases[] = {{cmd + " /C \"\"" + file + "\" /admin\"", kRegisterRan}, {cmd + " /C \"" + file + "\" /admin", ""}};
    for (const auto& c : kCases) {
        Process process;
        ASSERT_TRUE(process.Start(c.line, "C:\\")) << c.line;
        if (c.ran.empty()) {
            EXPECT_NE(process.ExitCode(10000), STILL_ACTIVE) << c.line;
        }
        EXPECT_EQ(c.ran.empty() ? StandIns::Ran(1, 1000) : StandIns::Ran(2), c.ran) << c.line;
        Descendants(process.Id(), true);
    }
}

// A folder named register.bat in the way: the message says so, nothing starts, the window goes on.
TEST(Batch, NothingStartsWhenTheBatchFileCannotBeWritten) {
    const std::string folder = "C:\\kvx-blocked", reg = folder + "\\register.bat";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::CopyFileA(g_situation.exe.c_str(), (folder + "\\kalvex.exe").c_str(), FALSE);
    ::CreateDirectoryA(reg.c_str(), nullptr);
    Kalvex app;
    ASSERT_TRUE(app.Launch(folder + "\\kalvex.exe"));
    app.Click(C::Command1_1);
    EXPECT_EQ(app.Answer(), Hint(reg));
    EXPECT_EQ(app.Answer(), reg + " " + SystemErrorText(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(WaitFor([&] { return !Descendants(app.Id()).empty(); }, 2000)) << Descendants(app.Id());
    EXPECT_SOON(app.Mode(), "normal");
    EXPECT_EQ(app.Close(WM_CLOSE), kExited);
}

}  // namespace

}  // namespace e2e
