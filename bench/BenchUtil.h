#pragma once

// Memory figures the benchmarks report next to their times.

#include <malloc.h>
#include <sys/resource.h>

#include <cstddef>

// The process's largest resident set so far.
inline double PeakRssMB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;
}

// Heap blocks in use now, small and mapped alike.
inline size_t HeapInUseBytes()
{
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

inline double HeapInUseMB()
{
    return double(HeapInUseBytes()) / (1024.0 * 1024.0);
}
