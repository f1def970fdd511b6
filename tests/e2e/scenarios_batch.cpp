// The numbered buttons: each writes its batch file next to the program and
// hands it to the shell, which runs it in a console (cmd.exe) that waits at
// "pause". The program runs as a copy in a folder of its own.
#include <windows.h>

#include <tlhelp32.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "scenario_support.h"
#include "window/win32_handles.h"

namespace e2e {

namespace {

using kalvex::ControlId;

std::string BatchBytes(bool unregister) {
    const std::string first = g_situation.windows64 ? "cd C:\\Windows\\SysWOW64" : "cd C:\\Windows\\System32";
    return first + (unregister ? "\r\nregsvr32 /u mscomctl.ocx" : "\r\nregsvr32 mscomctl.ocx\r\nregtlib msdatsrc.tlb") +
           "\r\npause";
}

std::string Hint(const std::string& path) {
    return "If not successful then \r\n\r\nrightclick on '" + path + "\r\n\r\n and select 'Run as Adminstrator'";
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<missing>";
}

// A fresh folder holding a copy of the program under test.
std::string PrepareCopy(const std::string& folder) {
    ::CreateDirectoryA(folder.c_str(), nullptr);
    std::string exe = folder + "\\kalvex.exe";
    Check(::CopyFileA(g_situation.exe.c_str(), exe.c_str(), FALSE) != 0, "program copied to " + folder);
    return exe;
}

// Every process that descends from `root`, parents before their children.
std::vector<PROCESSENTRY32> DescendantsOf(DWORD root) {
    std::vector<PROCESSENTRY32> all, found;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry)) {
        all.push_back(entry);
    }
    ::CloseHandle(snapshot);
    std::vector<DWORD> parents = {root};
    for (size_t next = 0; next < parents.size(); ++next) {
        for (const PROCESSENTRY32& e : all) {
            if (e.th32ParentProcessID != parents[next] || e.th32ProcessID == root) continue;
            found.push_back(e);
            parents.push_back(e.th32ProcessID);
        }
    }
    return found;
}

std::string Names(const std::vector<PROCESSENTRY32>& processes) {
    std::string names;
    for (const PROCESSENTRY32& p : processes) names += std::string(p.szExeFile) + " ";
    return names;
}

bool RunsCmd(DWORD root) {
    for (const PROCESSENTRY32& p : DescendantsOf(root)) {
        if (lstrcmpiA(p.szExeFile, "cmd.exe") == 0) return true;
    }
    return false;
}

// Ends every process that the program started, and theirs; children first.
void EndDescendants(DWORD root, const std::string& what) {
    for (int round = 0; round < 3; ++round) {
        const std::vector<PROCESSENTRY32> processes = DescendantsOf(root);
        for (auto p = processes.rbegin(); p != processes.rend(); ++p) {
            HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, p->th32ProcessID);
            if (process == nullptr) continue;
            ::TerminateProcess(process, 1);
            ::WaitForSingleObject(process, 5000);
            ::CloseHandle(process);
        }
    }
    Check(DescendantsOf(root).empty(), what + ": every process it started has ended", Names(DescendantsOf(root)));
}

struct Press {
    const char* how;
    ControlId button;
    const char* name;
};

// One press, from the hint (Wine's administrator test says yes) to the
// console that runs the file.
void PressAndExpectLaunch(Program& program, const Press& press, const std::string& folder) {
    const std::string what = std::string(press.name) + " by " + press.how;
    const std::string path = folder + "\\" + press.name;
    if (std::string(press.how) == "keyboard") {
        ::SetForegroundWindow(program.Window());
        WaitFor([&] { return ::GetForegroundWindow() == program.Window(); }, 3000);
        TabTo(program, press.button, what + ": Tab reaches the button");
        PressKey(VK_SPACE);
    } else {
        Click(program, press.button);
    }
    ExpectMessage(program, Hint(path), what + ": hint");
    const DWORD pid = ::GetProcessId(program.Process());
    Check(WaitFor([&] { return RunsCmd(pid); }), what + ": the shell runs the file in cmd.exe",
          Names(DescendantsOf(pid)));
    CheckEqual(ReadAll(path), BatchBytes(press.button == ControlId::Command1_0), what + ": file bytes");
    EndDescendants(pid, what);
    NoMessageBoxes(program, what);
}

void ScenarioPresses() {
    const std::string folder = "C:\\kalvex-batch";
    const std::string exe = PrepareCopy(folder);
    // A much longer older register.bat must be replaced whole.
    Check(::CopyFileA(exe.c_str(), (folder + "\\register.bat").c_str(), FALSE) != 0, "older register.bat placed");
    Program program;
    if (!StartProgram(program, "numbered buttons", "", exe)) return;
    const Press presses[] = {
        {"click", ControlId::Command1_1, "register.bat"},
        {"click", ControlId::Command1_0, "unregister.bat"},
        {"keyboard", ControlId::Command1_1, "register.bat"},
        {"keyboard", ControlId::Command1_0, "unregister.bat"},
    };
    for (const Press& press : presses) PressAndExpectLaunch(program, press, folder);
    Click(program, ControlId::Command2);
    ExpectEndsWithZero(program, "Close after the numbered buttons");
}

// A folder named register.bat stands where the file should go.
void ScenarioBlocked() {
    const std::string folder = "C:\\kalvex-blocked";
    const std::string exe = PrepareCopy(folder);
    const std::string path = folder + "\\register.bat";
    Check(::CreateDirectoryA(path.c_str(), nullptr) != 0, "folder register.bat placed");
    HANDLE probe =
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD error = probe == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
    if (probe != INVALID_HANDLE_VALUE) ::CloseHandle(probe);
    Check(error != 0, "register.bat cannot be written");

    Program program;
    if (!StartProgram(program, "blocked", "", exe)) return;
    Click(program, ControlId::Command1_1);
    ExpectMessage(program, Hint(path), "blocked: hint");
    ExpectMessage(program, path + " " + kalvex::SystemErrorText(error), "blocked: the write's failure");
    const DWORD pid = ::GetProcessId(program.Process());
    Check(!WaitFor([&] { return !DescendantsOf(pid).empty(); }, 2000), "blocked: nothing launched",
          Names(DescendantsOf(pid)));
    NoMessageBoxes(program, "blocked");
    // The window stays usable: the other button does its work.
    PressAndExpectLaunch(program, {"click after the failure", ControlId::Command1_0, "unregister.bat"}, folder);
    Click(program, ControlId::Command2);
    ExpectEndsWithZero(program, "Close after the failed write");
}

}  // namespace

void RunBatchScenarios() {
    ScenarioPresses();
    ScenarioBlocked();
}

}  // namespace e2e
