#pragma once

#include <sys/types.h>

// A process's thread count and resident memory, from /proc.
struct ProcessStats {
    long threads = 0;
    long residentKiB = 0;
};

ProcessStats readProcessStats(pid_t pid);
