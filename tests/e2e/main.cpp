// The end-to-end tests: they start kalvex.exe in the same Windows (prefix) and drive its window
// through the driver; exit code 0 when every test passed.
//   kalvex_e2e.exe <kalvex.exe> [<group> | layout-only] [GoogleTest flags]
// Groups: window, batch, components, failures, world, version, thisuser.
// Without a group it runs every group but the layout; layout-only is the layout alone,
// for a second pass at another dpi.
#include <cctype>
#include <cstdio>

#include "scenario.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    driver::FindSituation(argc > 1 ? argv[1] : nullptr);
    const driver::Situation& s = driver::g_situation;
    std::printf("# %d dpi, %d-bit Windows, %s-bit %s\n", s.dpi, s.windows64 ? 64 : 32, sizeof(void*) == 8 ? "64" : "32",
                s.exe.c_str());
    std::fflush(stdout);
    // A group is the suite of its name; --gtest_filter chooses tests of its own.
    std::string group = argc > 2 ? argv[2] : "";
    if (group == "layout-only") group = "layout";
    if (!group.empty()) group[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(group[0])));
    if (GTEST_FLAG_GET(filter) == "*") GTEST_FLAG_SET(filter, group.empty() ? "-Layout.*" : group + ".*");
    const int status = RUN_ALL_TESTS();  // a run that ran nothing (a group misspelt) fails
    return status != 0 || testing::UnitTest::GetInstance()->test_to_run_count() == 0 ? 1 : 0;
}
