// Figures for the benchmark script, measured in the running programs:
// start-up beside Wine's notepad, and the engine's overhead beside
// regsvr32. Prints one "bench <name> <median> <min> <max>" line (ms) each.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "support.h"
#include "timing.h"

namespace e2e {

namespace {

constexpr int kRuns = 10;

using bench::NowMs;
using bench::Report;

// From process creation to its window being visible and the program idle;
// the process is ended afterwards. Negative when the window never came.
double StartUpTime(const std::string& exe, const std::string& arguments, const char* windowClass) {
    std::string commandLine = "\"" + exe + "\"" + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    const double start = NowMs();
    if (!::CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info)) {
        return -1;
    }
    bool shown = false;
    while (!shown && NowMs() - start < 20000) {
        shown = !WindowsOf(info.dwProcessId, windowClass).empty();
        if (!shown) ::Sleep(1);
    }
    ::WaitForInputIdle(info.hProcess, 10000);
    const double elapsed = NowMs() - start;
    ::TerminateProcess(info.hProcess, 0);
    ::WaitForSingleObject(info.hProcess, 5000);
    ::CloseHandle(info.hProcess);
    ::CloseHandle(info.hThread);
    return shown ? elapsed : -1;
}

// Polls every millisecond for a message box of the program other than
// `other`; null when none came within 20 s of `start`.
HWND NextMessageBox(Program& program, double start, HWND other = nullptr) {
    while (NowMs() - start < 20000) {
        for (HWND box : program.MessageBoxes()) {
            if (box != other && ::GetDlgItem(box, IDOK) != nullptr) return box;
        }
        ::Sleep(1);
    }
    return nullptr;
}

// From dismissing "WWW" to the engine's message, registering `path`.
double EngineTime(Program& program, const std::string& path) {
    SetText(program.Control(ControlId::text1), path);
    Click(program, ControlId::cmdRegister);
    if (!WaitFor([&] { return Visible(program, ControlId::cmdProceed); }, 5000)) return -1;
    Click(program, ControlId::cmdProceed);
    HWND notice = WaitForMessageBox(program);
    if (notice == nullptr) return -1;
    const double start = NowMs();
    ::PostMessageA(::GetDlgItem(notice, IDOK), BM_CLICK, 0, 0);
    HWND result = NextMessageBox(program, start, notice);
    const double elapsed = NowMs() - start;
    if (result == nullptr) return -1;
    const std::string text = MessageText(result);
    Dismiss(result);
    WaitFor([&] { return Visible(program, ControlId::cmdRegister); }, 5000);
    return text == "Process completed" ? elapsed : -1;
}

// From pressing Register on a missing file to the "File not found" box: what
// a message box alone costs, for comparison with the engine's figures.
double MessageBoxTime(Program& program) {
    SetText(program.Control(ControlId::text1), g_situation.exeDir + "\\no-such-component.ocx");
    const double start = NowMs();
    Click(program, ControlId::cmdRegister);
    HWND box = NextMessageBox(program, start);
    const double elapsed = NowMs() - start;
    if (box == nullptr) return -1;
    Dismiss(box);
    return elapsed;
}

double ProcessTime(const std::string& commandLine) {
    std::string line = commandLine;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    const double start = NowMs();
    if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) return -1;
    ::WaitForSingleObject(info.hProcess, 30000);
    const double elapsed = NowMs() - start;
    ::CloseHandle(info.hProcess);
    ::CloseHandle(info.hThread);
    return elapsed;
}

template <typename Measure>
std::vector<double> Samples(Measure&& measure, double minus = 0) {
    std::vector<double> samples;
    for (int i = 0; i < kRuns; ++i) {
        const double value = measure();
        if (value >= 0) samples.push_back(value - minus);
    }
    return samples;
}

}  // namespace

void RunBenchmarks() {
    char windows[MAX_PATH] = {};
    const std::string notepad = std::string(windows, ::GetWindowsDirectoryA(windows, MAX_PATH)) + "\\notepad.exe";
    // One start of each first, so that neither pays for a cold prefix.
    StartUpTime(g_situation.exe, "", "KalvexMainWindow");
    StartUpTime(notepad, "", "Notepad");
    Report("startup_kalvex", Samples([&] { return StartUpTime(g_situation.exe, "", "KalvexMainWindow"); }));
    Report("startup_notepad", Samples([&] { return StartUpTime(notepad, "", "Notepad"); }));

    const std::string fast = g_situation.exeDir + "\\kvx_good.ocx";
    const std::string slow = g_situation.exeDir + "\\kvx_wait500.ocx";
    Program program;
    if (!program.Start(g_situation.exe)) {
        std::printf("bench engine none\n");
        return;
    }
    EngineTime(program, fast);
    Report("engine_fast", Samples([&] { return EngineTime(program, fast); }));
    Report("engine_500ms_minus_500", Samples([&] { return EngineTime(program, slow); }, 500));
    Report("message_box_alone", Samples([&] { return MessageBoxTime(program); }));
    const std::string regsvr32 = g_situation.systemDir + "\\regsvr32.exe /s ";
    Report("regsvr32_fast", Samples([&] { return ProcessTime(regsvr32 + "\"" + fast + "\""); }));
    Report("regsvr32_500ms_minus_500", Samples([&] { return ProcessTime(regsvr32 + "\"" + slow + "\""); }, 500));
}

}  // namespace e2e
