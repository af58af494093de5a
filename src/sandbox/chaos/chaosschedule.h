#pragma once
// The fault schedules of a chaos run: one or two faults each, the second starting
// inside the restore window of the first when the first took the master away.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace sandbox {

enum class FaultKind { Kill, Stall, Partition, Lossy };
// Whom a fault hits, resolved from the roles the nodes report when it starts.
enum class FaultTarget { Master, Backup, Slave, Any };

struct Fault {
    FaultKind kind = FaultKind::Kill;
    FaultTarget target = FaultTarget::Master;
    int startMs = 0;     // from the start of the schedule
    int durationMs = 0;  // a killed node starts again, a stopped one continues, links heal
    int sideSize = 1;    // partition: nodes on the target's side
    double loss = 0.0;   // lossy: share of messages dropped
    int maxDelayMs = 0;  // lossy: each kept message waits up to this
};

struct Schedule {
    std::vector<Fault> faults;
};

std::string describe(const Fault& fault);
std::string describe(const Schedule& schedule);

// A random schedule for a cluster of `nodes`.
Schedule randomSchedule(std::mt19937_64& random, int nodes);

}  // namespace sandbox
