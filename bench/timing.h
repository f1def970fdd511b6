// The benchmark's clock and its report line, shared by the end-to-end
// measurements and the engine timer. Windows only.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace bench {

// Milliseconds on the performance counter.
inline double NowMs() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Prints "bench <name> <median> <min> <max>" (ms, `decimals` places), or
// "bench <name> none" without samples.
inline void Report(const char* name, std::vector<double> samples, int decimals = 1) {
    if (samples.empty()) {
        std::printf("bench %s none\n", name);
    } else {
        std::sort(samples.begin(), samples.end());
        const size_t n = samples.size();
        const double median = n % 2 != 0 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
        std::printf("bench %s %.*f %.*f %.*f\n", name, decimals, median, decimals, samples.front(), decimals,
                    samples.back());
    }
    std::fflush(stdout);
}

}  // namespace bench
