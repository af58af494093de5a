#include "procstats.h"

#include <fstream>
#include <sstream>
#include <string>

namespace sandbox {

// Linux tells in /proc/self/status ("VmRSS:   12345 kB", "Threads:  9"); elsewhere
// the file is missing and the figures stay unknown.
ProcessStats processStats() {
    ProcessStats stats;
    std::ifstream status("/proc/self/status");
    bool rss = false;
    bool threads = false;
    for (std::string line; std::getline(status, line);) {
        std::istringstream fields(line);
        std::string key;
        fields >> key;
        if (key == "VmRSS:") {
            uint64_t kilobytes = 0;
            rss = static_cast<bool>(fields >> kilobytes);
            stats.residentBytes = kilobytes * 1024;
        } else if (key == "Threads:") {
            threads = static_cast<bool>(fields >> stats.threads);
        }
    }
    stats.known = rss && threads;
    return stats;
}

}  // namespace sandbox
