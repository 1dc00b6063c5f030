#pragma once
// The process's peak resident memory so far, for the benchmarks' memory figures.
#ifdef __unix__
#include <sys/resource.h>
#endif

inline double peakRssMiB()
{
#ifdef __unix__
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_maxrss) / 1024.0; // KiB on Linux
#else
    return 0;
#endif
}
