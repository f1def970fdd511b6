// Times the registration engine inside one process, without a window: the
// program's own engine and kernel calls, from the call to the moment the
// result is handed over for display. What a message box then costs to
// appear is left out; the end-to-end figures include it.
//
//   kalvex_engine_timing.exe <component> <runs> <name>
//
// Prints one "bench <name> <median> <min> <max>" line (ms) and the result.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "recording_ui.h"
#include "registration/engine.h"
#include "registration/win32_modules.h"
#include "timing.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: kalvex_engine_timing <component> <runs> <name>\n");
        return 2;
    }
    const std::string component = argv[1];
    const int runs = std::atoi(argv[2]);
    kalvex::Win32Modules modules;
    bench::RecordingUi ui;
    kalvex::RegistrationEngine engine(modules, ui);
    std::vector<double> samples;
    // One warm-up call first, as in the end-to-end figures.
    for (int i = 0; i <= runs; ++i) {
        std::optional<std::int32_t> apiResult;
        const double start = bench::NowMs();
        engine.RegisterServer(component, "", apiResult);
        if (i > 0) samples.push_back(ui.shownAt - start);
    }
    if (ui.shown != "Process completed") {
        std::printf("bench %s none (%s)\n", argv[3], ui.shown.c_str());
        return 1;
    }
    bench::Report(argv[3], samples, 2);
    return 0;
}
