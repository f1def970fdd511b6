// The start-up benchmark's time marks: the time of each phase's end on the
// performance counter, written out as milliseconds since the process was
// created. Windows only.
#pragma once

#include <windows.h>

#include <cstdio>
#include <utility>
#include <vector>

#include "timing.h"

namespace bench {

inline std::vector<std::pair<const char*, double>>& Marks() {
    static std::vector<std::pair<const char*, double>> marks;
    return marks;
}

inline void Mark(const char* phase) { Marks().emplace_back(phase, NowMs()); }

// When the process was created, on the performance counter's clock.
inline double CreatedMs() {
    FILETIME created, exited, kernel, user, now;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    ::GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    return NowMs() - (ticks(now) - ticks(created)) / 10000.0;
}

// "<phase> <ms>" lines into `path`; nothing when it is empty.
inline void WriteMarks(const char* path) {
    if (path == nullptr || *path == '\0') return;
    const double created = CreatedMs();
    if (FILE* out = std::fopen(path, "w")) {
        for (const auto& [phase, at] : Marks()) std::fprintf(out, "%s\t%.2f\n", phase, at - created);
        std::fclose(out);
    }
}

}  // namespace bench
