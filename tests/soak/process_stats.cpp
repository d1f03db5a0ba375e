#include "soak/process_stats.h"

#include <fstream>
#include <string>

ProcessStats readProcessStats(pid_t pid) {
    ProcessStats stats;
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    while (status >> key) {
        if (key == "Threads:") status >> stats.threads;
        else if (key == "VmRSS:") status >> stats.residentKiB;
        else status.ignore(1 << 20, '\n');
    }
    return stats;
}
