// Figures for the benchmark script, measured in the running programs:
// start-up beside Wine's notepad, and the engine's overhead beside
// regsvr32. Prints one "bench <name> <median> <min> <max>" line (ms) each.
// Polls every millisecond, where the tests poll every 20.
//   kalvex_bench.exe <kalvex.exe> bench             everything
//   kalvex_bench.exe <kalvex.exe> startup [rounds]  start-up alone, in as many rounds (20)
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver.h"
#include "timing.h"

namespace {

using driver::ControlId;
using driver::g_situation;
using driver::Kalvex;
using driver::Process;
using driver::WaitFor;

constexpr int kRuns = 10;

using bench::NowMs;
using bench::Report;

// From process creation to its window being visible and the program idle;
// the process is ended afterwards. Negative when the window never came.
double StartUpTime(const std::string& exe, const char* windowClass) {
    const double start = NowMs();
    Process program;
    if (!program.Start("\"" + exe + "\"") || program.WaitForWindow(windowClass, 20000, nullptr, 1) == nullptr)
        return -1;
    ::WaitForInputIdle(program.Handle(), 10000);
    return NowMs() - start;
}

// From dismissing "WWW" to the engine's message, registering `path`.
double EngineTime(Kalvex& app, const std::string& path) {
    app.Write(path);
    app.Click(ControlId::cmdRegister);
    if (!WaitFor([&] { return app.Shown(ControlId::cmdProceed); }, 5000)) return -1;
    app.Click(ControlId::cmdProceed);
    HWND notice = app.WaitForBox();
    if (notice == nullptr) return -1;
    const double start = NowMs();
    ::PostMessageA(::GetDlgItem(notice, IDOK), BM_CLICK, 0, 0);
    HWND result = app.WaitForBox(20000, notice, 1);
    const double elapsed = NowMs() - start;
    if (result == nullptr) return -1;
    const std::string text = driver::BoxText(result);
    driver::Dismiss(result);
    WaitFor([&] { return app.Shown(ControlId::cmdRegister); }, 5000);
    return text == "Process completed" ? elapsed : -1;
}

// From pressing Register on a missing file to the "File not found" box: what
// a message box alone costs, for comparison with the engine's figures.
double MessageBoxTime(Kalvex& app) {
    app.Write(g_situation.exeDir + "\\no-such-component.ocx");
    const double start = NowMs();
    app.Click(ControlId::cmdRegister);
    HWND box = app.WaitForBox(20000, nullptr, 1);
    const double elapsed = NowMs() - start;
    if (box == nullptr) return -1;
    driver::Dismiss(box);
    return elapsed;
}

// A whole process, from its creation to its end.
double ProcessTime(const std::string& commandLine) {
    const double start = NowMs();
    Process process;
    if (!process.Start(commandLine)) return -1;
    process.ExitCode(30000);
    return NowMs() - start;
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

// Start-up of kalvex.exe, of a bare window with three buttons built the same way (the floor), and
// of Wine's notepad: one start of each first, so that none pays for a cold prefix, then rounds
// in which each starts once, so that the machine's ups and downs fall on all three alike.
void RunStartUp(int rounds) {
    char windows[MAX_PATH] = {};
    const std::string notepad = std::string(windows, ::GetWindowsDirectoryA(windows, MAX_PATH)) + "\\notepad.exe";
    const std::string bare = g_situation.exeDir + "\\kalvex_bare_window.exe";
    struct Program {
        const char* name;
        std::string exe;
        const char* windowClass;
        std::vector<double> samples;
    };
    Program programs[] = {{"startup_kalvex", g_situation.exe, kalvex::kWindowClass, {}},
                          {"startup_bare", bare, "KalvexBareWindow", {}},
                          {"startup_notepad", notepad, "Notepad", {}}};
    for (int round = 0; round <= rounds; ++round) {
        for (Program& p : programs) {
            const double time = StartUpTime(p.exe, p.windowClass);
            if (round > 0 && time >= 0) p.samples.push_back(time);
        }
    }
    for (const Program& p : programs) Report(p.name, p.samples);
}

void RunBenchmarks() {
    RunStartUp(2 * kRuns);

    const std::string fast = g_situation.exeDir + "\\kvx_good.ocx";
    const std::string slow = g_situation.exeDir + "\\kvx_wait500.ocx";
    Kalvex app;
    if (!app.Launch()) {
        std::printf("bench engine none\n");
        return;
    }
    EngineTime(app, fast);
    Report("engine_fast", Samples([&] { return EngineTime(app, fast); }));
    Report("engine_500ms_minus_500", Samples([&] { return EngineTime(app, slow); }, 500));
    Report("message_box_alone", Samples([&] { return MessageBoxTime(app); }));
    const std::string regsvr32 = g_situation.systemDir + "\\regsvr32.exe /s ";
    Report("regsvr32_fast", Samples([&] { return ProcessTime(regsvr32 + "\"" + fast + "\""); }));
    Report("regsvr32_500ms_minus_500", Samples([&] { return ProcessTime(regsvr32 + "\"" + slow + "\""); }, 500));
}

}  // namespace

int main(int argc, char** argv) {
    driver::FindSituation(argc > 1 ? argv[1] : nullptr);
    const std::string mode = argc > 2 ? argv[2] : "";
    if (mode == "bench") {
        RunBenchmarks();
    } else if (mode == "startup") {
        RunStartUp(argc > 3 ? std::atoi(argv[3]) : 20);
    } else {
        std::fprintf(stderr, "usage: kalvex_bench.exe <kalvex.exe> bench | startup [rounds]\n");
        return 2;
    }
    return 0;
}
