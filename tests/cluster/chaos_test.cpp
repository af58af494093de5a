// Four node processes on loopback meet faults that a killed process does not show:
// the master stopped and continued, the master split off alone until the partition
// heals (a slave on the other side keeps its role throughout), the new master lost
// inside its restore window, the master back with a new port before the new
// master's restore. With the link managers' duties each run converges on
// the wire; without them the master's stall leaves a node unlinked.
#include <gtest/gtest.h>

#include "chaos.h"

namespace {

using sandbox::Fault;
using sandbox::FaultKind;
using sandbox::FaultTarget;

sandbox::ChaosResult run(bool duties, std::vector<sandbox::Schedule> schedules) {
    return sandbox::runChaos({.executable = QRC_SANDBOX_EXECUTABLE,
                              .nodes = 4,
                              .duties = duties,
                              .fixed = std::move(schedules),
                              .measureCalm = false,
                              .outDir = testing::TempDir() + "qrc-chaos"});
}

const sandbox::Schedule kMasterStall = {{{.kind = FaultKind::Stall, .durationMs = 2500}}};

TEST(ClusterChaos, StallPartitionAndDoubleFailureConvergeWithTheDuties) {
    const auto result = run(true, {kMasterStall,
                                   {{{.kind = FaultKind::Partition, .durationMs = 2000, .sideSize = 1}}},
                                   {{{.kind = FaultKind::Kill, .durationMs = 3000},
                                     {.kind = FaultKind::Kill, .startMs = 1000, .durationMs = 2000}}},
                                   {{{.kind = FaultKind::Kill, .durationMs = 700}}}});
    ASSERT_EQ(result.schedules.size(), 4u);
    for (const auto& schedule : result.schedules) {
        EXPECT_TRUE(schedule.converged) << schedule.faults;
        EXPECT_LE(schedule.convergeMs, sandbox::kConvergenceBoundMs) << schedule.faults;
    }
    // The stopped master came back as a newcomer: the node that replaced it stays.
    EXPECT_NE(result.schedules[0].masterAfter, result.schedules[0].masterBefore);
    EXPECT_TRUE(result.allEndedCleanly);
}

TEST(ClusterChaos, TheMastersStallDoesNotConvergeWithoutTheDuties) {
    const auto result = run(false, {kMasterStall});
    ASSERT_EQ(result.schedules.size(), 1u);
    EXPECT_FALSE(result.schedules[0].converged);
    EXPECT_TRUE(result.allEndedCleanly);
}

}  // namespace
