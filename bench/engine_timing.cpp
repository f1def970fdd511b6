// Times the registration engine inside one process, without a window: the
// program's own engine and kernel calls, from the call to the moment its
// outcome is there. What a message box then costs to appear is left out; the
// end-to-end figures include it.
//
//   kalvex_engine_timing.exe <component> <runs> <name>
//
// Prints one "bench <name> <median> <min> <max>" line (ms) and the result.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "busy_ui.h"
#include "engine/engine.h"
#include "engine/win32_modules.h"
#include "timing.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: kalvex_engine_timing <component> <runs> <name>\n");
        return 2;
    }
    const std::string component = argv[1];
    const int runs = std::atoi(argv[2]);
    kalvex::Win32Modules modules;
    bench::BusyUi ui;
    kalvex::RegistrationEngine engine(modules, ui);
    std::vector<double> samples;
    kalvex::RegistrationOutcome outcome{};
    // One warm-up call first, as in the end-to-end figures.
    for (int i = 0; i <= runs; ++i) {
        const double start = bench::NowMs();
        outcome = engine.RegisterServer(component, kalvex::RegistrationAction::Register);
        if (i > 0) samples.push_back(bench::NowMs() - start);
    }
    if (outcome.kind != kalvex::RegistrationOutcome::Kind::Completed) {
        std::printf("bench %s none (%s)\n", argv[3], kalvex::OutcomeMessage(outcome).c_str());
        return 1;
    }
    bench::Report(argv[3], samples, 2);
    return 0;
}
