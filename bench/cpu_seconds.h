#pragma once

#include <sys/resource.h>

// CPU time, user and system, of the process (RUSAGE_SELF) or of the calling
// thread (RUSAGE_THREAD), in seconds.
inline double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}
