// A whole cluster in one process: ports reported to the master, the table sent to
// the backup, the master fails and the backup takes over.
#include <gtest/gtest.h>

#include "renderctrllink/linknode.h"
#include "renderctrllink/porttable.h"

namespace qorva::mediadispatch {
namespace {

using namespace std::chrono_literals;
using Targets = std::set<std::string>;

class Cluster : public qrc::test::LinkScene {};

TEST_F(Cluster, TheBackupTakesOverAndLinksExactlyTheNodesStillPresent) {
    qrc::test::LinkNode a{cluster, runtime, "10.0.0.1"}, b{cluster, runtime, "10.0.0.2"},
        c{cluster, runtime, "10.0.0.3"}, d{cluster, runtime, "10.0.0.4"};

    cluster.setRole(a.ip, 0);
    cluster.setRole(b.ip, 2);
    cluster.setRole(c.ip, 1);
    cluster.setRole(d.ip, 1);
    EXPECT_EQ(a.targets(), (Targets{a.target(), b.target(), c.target(), d.target()}));
    const auto toBackup = a.linkMgr.sentRequests().back();
    EXPECT_EQ(toBackup.targets, std::vector<std::string>{b.ip});
    EXPECT_EQ(decodePortTable(toBackup.args),
              (PortTable{{a.ip, a.port()}, {b.ip, b.port()}, {c.ip, c.port()}, {d.ip, d.port()}}));
    EXPECT_TRUE(b.targets().empty());

    // The master fails and takes one node with it; the backup becomes master.
    cluster.setPresent(a.ip, false);
    cluster.setPresent(d.ip, false);
    cluster.setRole(b.ip, 0);
    cluster.announceNodes();
    EXPECT_TRUE(b.targets().empty());  // nothing before the restore
    ASSERT_TRUE(runtime.advance(999ms));
    EXPECT_TRUE(b.targets().empty());
    ASSERT_TRUE(runtime.advance(1ms));
    EXPECT_EQ(b.targets(), (Targets{b.target(), c.target()}));
    const auto lastTable = [&] { return decodePortTable(b.linkMgr.sentRequests().back().args); };

    // The old master comes back as the backup: linked, and given the table.
    cluster.setPresent(a.ip, true);
    cluster.setRole(a.ip, 2);
    EXPECT_EQ(b.targets(), (Targets{b.target(), c.target(), a.target()}));
    EXPECT_EQ(b.linkMgr.sentRequests().back().targets, std::vector<std::string>{a.ip});
    EXPECT_EQ(lastTable(), (PortTable{{a.ip, a.port()}, {b.ip, b.port()}, {c.ip, c.port()}}));

    // A node leaves and rejoins: dislinked and dropped from the table, then relinked.
    // The new master's own entry came with the table; as the master's it is dropped too.
    cluster.setPresent(c.ip, false);
    cluster.announceNodes();
    EXPECT_EQ(b.targets(), (Targets{a.target()}));
    EXPECT_EQ(lastTable(), (PortTable{{a.ip, a.port()}, {b.ip, b.port()}}));
    cluster.setPresent(c.ip, true);
    cluster.setRole(c.ip, 1);
    EXPECT_EQ(b.targets(), (Targets{c.target(), a.target()}));
    EXPECT_EQ(lastTable(), (PortTable{{a.ip, a.port()}, {b.ip, b.port()}, {c.ip, c.port()}}));
}

}  // namespace
}  // namespace qorva::mediadispatch
