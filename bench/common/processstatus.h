#ifndef BENCH_COMMON_PROCESSSTATUS_H
#define BENCH_COMMON_PROCESSSTATUS_H

// A memory figure of this process from /proc/self/status, in MiB:
// "VmRSS" (resident now), "VmHWM" (peak resident). 0 when unknown.
[[nodiscard]] double processStatusMiB(const char *field);

#endif
