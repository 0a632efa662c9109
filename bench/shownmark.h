// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The moment a start-up benchmark program's window has been painted, as the line
//   shown CPU_NS MONOTONIC_NS
// on stdout: the processor time the process has used so far and the monotonic clock, so that the
// benchmark measures start-up to the shown window without the program's exit.

#include <cstdio>
#include <ctime>

inline void reportShown()
{
    timespec cpu{};
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::printf("shown %lld %lld\n", static_cast<long long>(cpu.tv_sec) * 1000000000 + cpu.tv_nsec,
                static_cast<long long>(now.tv_sec) * 1000000000 + now.tv_nsec);
    std::fflush(stdout);
}
