#include "chaosschedule.h"

#include <fmt/format.h>
#include <fmt/ranges.h>

namespace sandbox {

namespace {

int uniform(std::mt19937_64& random, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}

const char* targetName(FaultTarget target) {
    switch (target) {
        case FaultTarget::Master:
            return "master";
        case FaultTarget::Backup:
            return "backup";
        case FaultTarget::Slave:
            return "slave";
        default:
            return "any node";
    }
}

FaultTarget randomTarget(std::mt19937_64& random) {
    const int pick = uniform(random, 0, 7);
    return pick < 4   ? FaultTarget::Master
           : pick < 6 ? FaultTarget::Backup
           : pick < 7 ? FaultTarget::Slave
                      : FaultTarget::Any;
}

Fault randomFault(std::mt19937_64& random, int nodes, bool lossyAllowed) {
    Fault fault;
    fault.kind = static_cast<FaultKind>(uniform(random, 0, lossyAllowed ? 3 : 2));
    fault.target = randomTarget(random);
    fault.durationMs = uniform(random, 300, 3000);
    fault.sideSize = uniform(random, 1, nodes - 1);
    if (fault.kind == FaultKind::Lossy) {
        fault.durationMs = uniform(random, 1000, 3000);
        fault.loss = uniform(random, 5, 40) / 100.0;
        fault.maxDelayMs = uniform(random, 0, 40);
    }
    return fault;
}

}  // namespace

std::string describe(const Fault& fault) {
    switch (fault.kind) {
        case FaultKind::Kill:
            return fmt::format("kill {}, back after {} ms", targetName(fault.target), fault.durationMs);
        case FaultKind::Stall:
            return fmt::format("stop {} for {} ms", targetName(fault.target), fault.durationMs);
        case FaultKind::Partition:
            return fmt::format("split {} and {} more from the rest for {} ms", targetName(fault.target),
                               fault.sideSize - 1, fault.durationMs);
        default:
            return fmt::format("lose {:.0f}% of messages, delay up to {} ms, for {} ms", fault.loss * 100,
                               fault.maxDelayMs, fault.durationMs);
    }
}

std::string describe(const Schedule& schedule) {
    std::vector<std::string> parts;
    for (const auto& fault : schedule.faults)
        parts.push_back(fault.startMs == 0 ? describe(fault)
                                           : fmt::format("+{} ms: {}", fault.startMs, describe(fault)));
    return fmt::format("{}", fmt::join(parts, "; "));
}

// A second fault comes in half the schedules, 600 to 1500 ms after the first began:
// after the silence is noticed, while the new master's restore timer runs.
Schedule randomSchedule(std::mt19937_64& random, int nodes) {
    Schedule schedule;
    schedule.faults.push_back(randomFault(random, nodes, true));
    if (uniform(random, 0, 1) == 1) {
        Fault second = randomFault(random, nodes, false);
        second.startMs = uniform(random, 600, 1500);
        schedule.faults.push_back(second);
    }
    return schedule;
}

}  // namespace sandbox
