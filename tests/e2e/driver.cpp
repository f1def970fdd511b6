// End-to-end driver: starts kalvex.exe in the same Windows (prefix), drives
// its window through real messages and input, and prints TAP lines.
//
//   kalvex_e2e.exe <path of kalvex.exe> [layout-only | bench | window | batch | engine | general]
//
// Exit code 0 when every check passed.
#include <windows.h>

#include <cstdio>
#include <string>

#include "scenario_support.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: kalvex_e2e <kalvex.exe> [layout-only | bench | window | batch | engine | general]\n");
        return 2;
    }
    e2e::Situation& s = e2e::g_situation;
    s.exe = argv[1];
    s.exeDir = s.exe.substr(0, s.exe.find_last_of('\\'));
    const std::string mode = argc > 2 ? argv[2] : "";
    ::SetProcessDPIAware();
    HDC screen = ::GetDC(nullptr);
    s.dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);

    SYSTEM_INFO info = {};
    ::GetNativeSystemInfo(&info);
    s.windows64 = info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
                  info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
    char buffer[MAX_PATH] = {};
    ::GetSystemDirectoryA(buffer, MAX_PATH);
    s.systemDir = buffer;
    ::GetWindowsDirectoryA(buffer, MAX_PATH);
    s.windowsDir = buffer;
    std::printf("# %d dpi, %d-bit Windows, %d-bit program %s\n", s.dpi, s.windows64 ? 64 : 32,
                static_cast<int>(sizeof(void*) * 8), s.exe.c_str());

    // No default component to start with.
    ::DeleteFileA((s.defaultFolder() + "\\mscomctl.ocx").c_str());

    if (mode == "bench") {
        e2e::RunBenchmarks();
        return 0;
    }
    if (mode == "layout-only") {
        e2e::RunLayoutOnly();
    } else {
        // One group alone when named, for work on it; all of them otherwise.
        const struct {
            const char* name;
            void (*run)();
        } groups[] = {{"window", e2e::RunWindowScenarios},
                      {"batch", e2e::RunBatchScenarios},
                      {"engine", e2e::RunEngineScenarios},
                      {"general", e2e::RunGeneralScenarios}};
        for (const auto& group : groups) {
            if (!mode.empty() && mode != group.name) continue;
            const DWORD start = ::GetTickCount();
            group.run();
            std::printf("# %s scenarios took %lu ms\n", group.name,
                        static_cast<unsigned long>(::GetTickCount() - start));
        }
    }

    std::printf("1..%d\n# %d failed\n", e2e::Checks(), e2e::Failures());
    return e2e::Failures() == 0 ? 0 : 1;
}
