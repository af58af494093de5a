// Four node processes on loopback: the master is killed, the backup takes over, the
// killed node comes back. What counts is on the wire: whose beacons each node gets.
#include <gtest/gtest.h>

#include <algorithm>

#include "failover.h"

namespace {

using Strings = std::vector<std::string>;

Strings sorted(Strings strings) {
    std::sort(strings.begin(), strings.end());
    return strings;
}

TEST(ClusterProcesses, TheBackupTakesOverAndTheKilledNodeRejoinsAsASlave) {
    const auto result = sandbox::runFailover(
        {.executable = QRC_SANDBOX_EXECUTABLE, .nodes = 4, .outDir = testing::TempDir() + "qrc-cluster"});
    ASSERT_TRUE(result.formed);
    ASSERT_TRUE(result.failedOver);
    ASSERT_TRUE(result.rejoined);
    EXPECT_EQ(result.badInputNoticed, 16);  // four kinds of garbage at each node
    EXPECT_TRUE(result.tableRejected);
    const auto& node = result.final;
    ASSERT_EQ(node.size(), 4u);
    const auto target = [&](size_t i) { return node[i].ip + ":" + std::to_string(node[i].netPort); };

    // The killed node rejoined as the newest slave; the next slave is now backup.
    EXPECT_EQ((std::vector<int>{node[0].role, node[1].role, node[2].role, node[3].role}),
              (std::vector<int>{1, 0, 2, 1}));
    // The restore linked the master's own port and both slaves, the last one only
    // from the table the backup kept through the bad one; the rejoin's node change
    // dislinked the master's own entry, and the rejoined node's report linked it.
    EXPECT_EQ(node[1].links, sorted({target(0), target(2), target(3)}));
    for (const size_t i : {0u, 2u, 3u}) {
        EXPECT_TRUE(node[i].links.empty()) << node[i].ip;
        EXPECT_EQ(node[i].receivingFrom, Strings{node[1].ip}) << node[i].ip;
    }
    EXPECT_TRUE(node[1].receivingFrom.empty());  // its own beacons stopped with that dislink
    EXPECT_GE(result.restoreMs - result.promotedMs, 1000);
    EXPECT_TRUE(result.allEndedCleanly);  // SIGTERM: exit code 0 each, every process reaped
}

}  // namespace
