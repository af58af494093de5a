#pragma once
// The chaos run over node processes: random fault schedules (kills, stalls,
// partitions, lossy links, a second fault inside the restore window of the first),
// each followed by the convergence check on the wire and a count of the blanks the
// surviving nodes' cards missed in the fault against the same length of calm.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "chaosschedule.h"
#include "options.h"

namespace sandbox {

struct ChaosOptions {
    std::string executable;  // the sandbox, run in its node mode
    int nodes = 4;
    int schedules = 10;
    uint64_t seed = 1;
    bool duties = true;
    std::vector<Schedule> fixed;  // run these instead of random ones
    bool measureCalm = true;      // the calm after each schedule, as long as its faults
    std::filesystem::path outDir;
    std::string logLevel = "info";
};

struct ScheduleOutcome {
    std::string faults;
    bool converged = false;
    int64_t convergeMs = -1;  // from the end of the last fault
    int64_t faultWindowMs = 0;
    std::string masterBefore, masterAfter;  // as the nodes report it
    int survivors = 0;                      // nodes no fault hit directly (not killed, not stopped)
    uint64_t missedInFault = 0;             // by the nodes no fault hit directly
    uint64_t missedInCalm = 0;              // the same nodes, the same length after convergence
};

struct ChaosResult {
    std::vector<ScheduleOutcome> schedules;
    bool allEndedCleanly = false;
};

// Time from the end of the faults within which the cluster must converge: detection
// (up to 600 ms) + the library's 1000 ms restore + 2400 ms for the rejoin of a node
// that stood still and for a machine shared with other work.
constexpr int64_t kConvergenceBoundMs = 4000;

ChaosResult runChaos(const ChaosOptions& options);

// `--cluster M --processes --chaos N`: the exit code.
int runChaosCommand(const Options& options, const std::filesystem::path& outDir);

}  // namespace sandbox
