// Time marks along the program's start, for the start-up benchmark. In the
// program itself they are nothing; the benchmark's build of the same sources
// defines KALVEX_STARTUP_MARKS and notes the time at each.
#pragma once

namespace kalvex {

#ifdef KALVEX_STARTUP_MARKS
void StartupMark(const char* phase);
#else
inline void StartupMark(const char* /*phase*/) {}
#endif

}  // namespace kalvex
