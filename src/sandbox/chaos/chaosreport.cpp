#include "chaosreport.h"

#include <algorithm>
#include <cmath>

#include <fmt/format.h>

namespace sandbox {

namespace {

// The value below which `share` of the sorted values lie (nearest rank).
int64_t percentile(const std::vector<int64_t>& sorted, double share) {
    if (sorted.empty()) return -1;
    const auto rank = static_cast<size_t>(std::ceil(share * static_cast<double>(sorted.size())));
    return sorted[std::min(sorted.size(), std::max<size_t>(rank, 1)) - 1];
}

std::string missedText(uint64_t missed, double nodeSeconds) {
    return fmt::format("{} in {:.1f} node-s ({:.2f} per node-s)", missed, nodeSeconds,
                       nodeSeconds > 0 ? static_cast<double>(missed) / nodeSeconds : 0.0);
}

}  // namespace

void printScheduleLine(int number, const ScheduleOutcome& outcome) {
    const std::string verdict =
        outcome.converged ? fmt::format("converged in {} ms", outcome.convergeMs) : std::string("NOT CONVERGED");
    fmt::print("#{:<3} {:<22} faults {:>5} ms, missed blanks {} (calm {})  {}\n", number, verdict,
               outcome.faultWindowMs, outcome.missedInFault, outcome.missedInCalm, outcome.faults);
}

void printChaosTable(const ChaosResult& result, const ChaosOptions& options) {
    std::vector<int64_t> times;
    uint64_t missedInFault = 0, missedInCalm = 0;
    double faultNodeSeconds = 0, calmNodeSeconds = 0;
    for (const auto& schedule : result.schedules) {
        const double nodeSeconds = schedule.survivors * static_cast<double>(schedule.faultWindowMs) / 1000.0;
        missedInFault += schedule.missedInFault;
        faultNodeSeconds += nodeSeconds;
        if (!schedule.converged) continue;
        times.push_back(schedule.convergeMs);
        missedInCalm += schedule.missedInCalm;
        calmNodeSeconds += nodeSeconds;
    }
    std::sort(times.begin(), times.end());
    fmt::print("\nChaos summary ({} nodes, seed {}, link manager duties {})\n", options.nodes, options.seed,
               options.duties ? "on" : "off");
    fmt::print("  {:<34} {}\n", "schedules", result.schedules.size());
    fmt::print("  {:<34} {}\n", "converged", times.size());
    fmt::print("  {:<34} p50 {} ms, p99 {} ms, max {} ms\n", "time to converge (after the faults)",
               percentile(times, 0.5), percentile(times, 0.99), times.empty() ? -1 : times.back());
    fmt::print("  {:<34} {}\n", "missed blanks in faults", missedText(missedInFault, faultNodeSeconds));
    fmt::print("  {:<34} {}\n", "missed blanks in calm", missedText(missedInCalm, calmNodeSeconds));
    fmt::print("  {:<34} {}\n", "nodes ended on SIGTERM with code 0", result.allEndedCleanly ? "all" : "not all");
}

}  // namespace sandbox
