// End-to-end driver: starts kalvex.exe in the same Windows (prefix) and drives its window through
// real messages and keyboard input; exit code 0 when every test passed.
//   kalvex_e2e.exe <kalvex.exe> [window | batch | components | world | layout-only | bench] [GoogleTest flags]
// Without a group it runs window, batch, components and world; layout-only is the layout alone,
// for a second pass at another dpi; bench takes the benchmark's figures instead
// (bench/bench_driver.cpp).
#include <cstdio>
#include <cstdlib>
#include <map>

#include "scenario.h"

namespace e2e {
void RunBenchmarks();
void RunStartUp(int rounds);
void PoseForPicture(const std::string& component);  // scripts/picture.cpp
}  // namespace e2e

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    e2e::Situation& s = e2e::g_situation;
    s.exe = argc > 1 ? argv[1] : "C:\\kalvex\\kalvex.exe";
    s.exeDir = s.exe.substr(0, s.exe.find_last_of('\\'));
    const std::string group = argc > 2 ? argv[2] : "";
    ::SetProcessDPIAware();
    s.dpi = ::GetDeviceCaps(::GetDC(nullptr), LOGPIXELSY);
    SYSTEM_INFO info = {};
    ::GetNativeSystemInfo(&info);
    s.windows64 = info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
    s.proposal = s.windows64 ? "c:\\windows\\syswow64\\mscomctl.ocx" : "c:\\windows\\system32\\mscomctl.ocx";
    char folder[MAX_PATH] = {};
    s.systemDir.assign(folder, ::GetSystemDirectoryA(folder, MAX_PATH));
    std::printf("# %d dpi, %d-bit Windows, %s-bit %s\n", s.dpi, s.windows64 ? 64 : 32, sizeof(void*) == 8 ? "64" : "32",
                s.exe.c_str());
    std::fflush(stdout);
    ::DeleteFileA(s.proposal.c_str());  // no default component to start with
    if (group == "bench") {
        e2e::RunBenchmarks();
        return 0;
    }
    if (group == "picture") {  // for scripts/screenshots.sh
        e2e::PoseForPicture(argc > 3 ? argv[3] : "");
        return 0;
    }
    if (group == "startup") {  // start-up alone, in as many rounds as asked
        e2e::RunStartUp(argc > 3 ? std::atoi(argv[3]) : 20);
        return 0;
    }
    // The groups, each a GoogleTest filter; --gtest_filter chooses tests of its own.
    const std::map<std::string, const char*> kGroups = {
        {"", "-Layout.*"},    {"window", "Window.*:StartedMaximized.*:Closing.*"},
        {"batch", "Batch.*"}, {"components", "Components.*:Planted.*"},
        {"world", "World.*"}, {"layout-only", "Layout.*"}};
    if (kGroups.count(group) == 0) {
        std::fprintf(stderr, "no such group: %s\n", group.c_str());
        return 2;
    }
    if (GTEST_FLAG_GET(filter) == "*") GTEST_FLAG_SET(filter, kGroups.at(group));
    return RUN_ALL_TESTS();
}
