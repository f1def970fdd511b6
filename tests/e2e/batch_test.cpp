// The numbered buttons, on a copy of the program in a folder named in three scripts: a press writes
// its batch file next to the program, and the hint names it; the shell runs it in cmd.exe, which
// waits at "pause".
#include <tlhelp32.h>

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

// After a numbered button's press: the hint, then cmd.exe runs `file`, which holds `bytes`; every
// process it started is then ended, and the window is back in normal mode.
void ExpectLaunch(Kalvex& app, const std::string& file, const std::string& bytes) {
    SCOPED_TRACE(file);
    EXPECT_EQ(app.Answer(), Hint(file));
    EXPECT_TRUE(WaitFor([&] { return Descendants(app.Id()).find("CMD.EXE") != std::string::npos; }))
        << Descendants(app.Id());
    EXPECT_EQ(Contents(file), bytes);
    EXPECT_TRUE(WaitFor([&] { return Descendants(app.Id(), true).empty(); }, 5000)) << Descendants(app.Id());
    EXPECT_SOON(app.Mode(), "normal");
}

TEST(Batch, NumberedButtonsWriteAndLaunchTheirBatchFiles) {
    const std::string folder = "C:\\Программа 北京 é", reg = folder + "\\register.bat",
                      unreg = folder + "\\unregister.bat";
    const std::string cd = g_situation.windows64 ? "cd C:\\Windows\\SysWOW64\r\n" : "cd C:\\Windows\\System32\r\n";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::CopyFileA(g_situation.exe.c_str(), (folder + "\\kalvex.exe").c_str(), FALSE);
    Place(reg, std::string(5000, 'x'));  // an older, much longer one
    Kalvex app;
    ASSERT_TRUE(app.Launch(folder + "\\kalvex.exe"));
    app.Click(C::Command1_1);
    ExpectLaunch(app, reg, cd + "regsvr32 mscomctl.ocx\r\nregtlib msdatsrc.tlb\r\npause");
    app.Click(C::Command1_0);
    ExpectLaunch(app, unreg, cd + "regsvr32 /u mscomctl.ocx\r\npause");

    // A folder named register.bat in the way: the message says so, nothing starts, the window goes on.
    ::DeleteFileA(reg.c_str());
    ::CreateDirectoryA(reg.c_str(), nullptr);
    app.Click(C::Command1_1);
    EXPECT_EQ(app.Answer(), Hint(reg));
    EXPECT_EQ(app.Answer(), reg + " " + SystemErrorText(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(WaitFor([&] { return !Descendants(app.Id()).empty(); }, 2000)) << Descendants(app.Id());
    EXPECT_SOON(app.Mode(), "normal");
    EXPECT_EQ(app.Close(WM_CLOSE), kExited);
}

}  // namespace

}  // namespace e2e
