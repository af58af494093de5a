// The cluster messages: port reports to the master, the table sent to the backups,
// and the restore a new master runs.
#include <gtest/gtest.h>

#include "common/log.h"
#include "renderctrllink/linknode.h"
#include "renderctrllink/porttable.h"
#include "support/logcapture.h"

namespace qorva::mediadispatch {
namespace {

using namespace std::chrono_literals;
using renderctrl::log::Info;
using Lines = std::vector<std::string>;

constexpr const char* kMaster = "10.0.0.1";
constexpr const char* kBackup = "10.0.0.2";

class PortExchange : public qrc::test::LinkScene {
protected:
    void SetUp() override {
        LinkScene::SetUp();
        cluster.setRole(kMaster, 0);
    }
    size_t sent(sim::SimLinkMgr& linkMgr, const std::string& method) {
        const auto requests = linkMgr.sentRequests();
        return static_cast<size_t>(
            std::count_if(requests.begin(), requests.end(), [&](const auto& r) { return r.method == method; }));
    }

    qrc::test::LinkNode master{cluster, runtime, kMaster};
};

// A report that is not a number is port 0.
TEST_F(PortExchange, TheMasterRecordsAndLinksAReportedPort) {
    master.linkMgr.deliver("40reportPort", "5003", "10.0.0.3");
    master.linkMgr.deliver("40reportPort", "port?", "10.0.0.4");
    EXPECT_TRUE(log.contains(Info, "RenderCtrlLink linkTarget handleReportPort ip:10.0.0.3, port:5003"));
    EXPECT_EQ(master.targets(), (std::set<std::string>{master.target(), "10.0.0.3:5003", "10.0.0.4:0"}));
}

TEST_F(PortExchange, ARepeatedReportDislinksTheStoredPortAndLinksTheNewOne) {
    master.linkMgr.deliver("40reportPort", "5003", "10.0.0.3");
    master.linkMgr.deliver("40reportPort", "5003", "10.0.0.3");
    EXPECT_EQ(log.count(Info, "RenderCtrlLink dislinkTarget handleReportPort ip:10.0.0.3, port:5003"), 1u);
    EXPECT_EQ(log.count(Info, "RenderCtrlLink linkTarget handleReportPort ip:10.0.0.3, port:5003"), 2u);
    master.linkMgr.deliver("40reportPort", "6003", "10.0.0.3");
    EXPECT_EQ(log.count(Info, "RenderCtrlLink dislinkTarget handleReportPort ip:10.0.0.3, port:5003"), 2u);
    EXPECT_TRUE(master.targets().count("10.0.0.3:6003"));
    EXPECT_FALSE(master.targets().count("10.0.0.3:5003"));
}

TEST_F(PortExchange, OnlyTheMasterActsOnReports) {
    cluster.setRole(kMaster, 1);
    master.linkMgr.deliver("40reportPort", "5003", "10.0.0.3");
    EXPECT_FALSE(master.targets().count("10.0.0.3:5003"));
}

TEST_F(PortExchange, AMasterWithoutTargetsSendsItsOwnEntryWhenABackupJoins) {
    cluster.addNode(kBackup);
    cluster.setRole(kBackup, 2);
    cluster.announceBackup(kBackup);
    const auto requests = master.linkMgr.sentRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "40reportPorts");
    EXPECT_EQ(requests[0].toMaster, 0);
    EXPECT_EQ(requests[0].targets, Lines{kBackup});
    EXPECT_EQ(decodePortTable(requests[0].args), (PortTable{{kMaster, master.port()}}));
    EXPECT_TRUE(log.contains(Info, "RenderCtrlLink sendPortDatasToBackup  masterBackup added ip:"));
    EXPECT_TRUE(
        log.contains(Info, fmt::format("RenderCtrlLink sendPortDatasToBackup Ip:{},port:{}", kMaster, master.port())));
}

TEST_F(PortExchange, ABackupReportsItsPortAndReceivesTheTable) {
    qrc::test::LinkNode backup{cluster, runtime, kBackup};
    cluster.setRole(kBackup, 2);
    const auto requests = master.linkMgr.sentRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(decodePortTable(requests[0].args), (PortTable{{kMaster, master.port()}, {kBackup, backup.port()}}));
    EXPECT_TRUE(log.contains(
        Info, fmt::format("RenderCtrlLink handlePortDatasToBackup Ip:{},port:{}", kBackup, backup.port())));
    EXPECT_TRUE(master.targets().count(backup.target()));
}

// Without a recipient nothing is sent and nothing is kept for a later restore.
TEST_F(PortExchange, WithoutBackupsNothingIsSentOrKept) {
    cluster.addNode("10.0.0.3");
    master.linkMgr.deliver("40reportPort", "5003", "10.0.0.3");
    master.linkMgr.sigMasterBackupAdded(kBackup);
    EXPECT_EQ(sent(master.linkMgr, "40reportPorts"), 0u);
    takeOver(kMaster);
    ASSERT_TRUE(runtime.advance(1000ms));
    EXPECT_FALSE(master.targets().count("10.0.0.3:5003"));
}

TEST_F(PortExchange, NothingIsSentWhileARestoreIsPending) {
    qrc::test::LinkNode backup{cluster, runtime, kBackup};
    cluster.setRole(kBackup, 2);
    takeOver(kMaster);  // the restore timer runs for a second
    const size_t before = sent(master.linkMgr, "40reportPorts");
    master.linkMgr.sigMasterBackupAdded(kBackup);
    EXPECT_EQ(sent(master.linkMgr, "40reportPorts"), before);
}

TEST_F(PortExchange, OnlyAMasterBackupKeepsATable) {
    cluster.addNode("10.0.0.7");
    master.linkMgr.deliver("40reportPorts", encodePortTable({{"10.0.0.7", 7}}), "10.0.0.9");
    takeOver(kMaster);
    ASSERT_TRUE(runtime.advance(1000ms));
    EXPECT_FALSE(master.targets().count("10.0.0.7:7"));
}

TEST_F(PortExchange, ABadTableIsRejectedAndTheKeptOneStays) {
    cluster.addNode("10.0.0.7");
    cluster.setRole(kMaster, 2);
    master.linkMgr.deliver("40reportPorts", encodePortTable({{"10.0.0.7", 7}}), "10.0.0.9");
    master.linkMgr.deliver("40reportPorts", std::string("\x92\x01\x02", 3), "10.0.0.9");
    EXPECT_EQ(master.linkMgr.calls().calls().back(), "rejected(40reportPorts,unpack failed: Args not match!)");
    cluster.setRole(kMaster, 0);
    ASSERT_TRUE(runtime.advance(1000ms));
    EXPECT_TRUE(master.targets().count("10.0.0.7:7"));  // restored from the table kept before
}

class Restore : public PortExchange {
protected:
    // The master backup holding `table` becomes master; one second later it restores.
    void takeOverWith(const PortTable& table) {
        cluster.addNode(kBackup);
        cluster.setRole(kBackup, 2);
        cluster.setRole(kMaster, 2);
        master.linkMgr.deliver("40reportPorts", encodePortTable(table), "10.0.0.9");
        cluster.setRole(kMaster, 0);
        log.clear();
        master.linkMgr.calls().clear();
        ASSERT_TRUE(runtime.advance(1000ms));
    }
};

TEST_F(Restore, LinksTheOwnPortAndOnlyNodesPresentWithAllThreeFlagsAndPublishesThem) {
    for (const char* ip : {"10.0.0.3", "10.0.0.4", "10.0.0.5", "10.0.0.8"}) cluster.addNode(ip);
    cluster.setPresent("10.0.0.4", false);
    cluster.setFlags("10.0.0.8", true, true, false);
    takeOverWith({{"10.0.0.3", 5003}, {"10.0.0.4", 5004}, {"10.0.0.5", 5005}, {"10.0.0.6", 5006}, {"10.0.0.8", 5008}});
    EXPECT_EQ(master.targets(), (std::set<std::string>{master.target(), "10.0.0.3:5003", "10.0.0.5:5005"}));
    EXPECT_EQ(log.messages().front(), "Link keepMasterTime isClear:false");
    EXPECT_TRUE(log.contains(Info, "RenderCtrlLink linkTarget backupRestorePorts other ip:10.0.0.3, port:5003"));
    EXPECT_EQ(master.mediaMgr.calls().count("notifyMasterRole(true)"), 2u);  // on gaining the role, and now
    const auto published = master.linkMgr.sentRequests().back();
    EXPECT_EQ(published.targets, Lines{kBackup});
    EXPECT_EQ(decodePortTable(published.args),
              (PortTable{{kMaster, master.port()}, {"10.0.0.3", 5003}, {"10.0.0.5", 5005}}));
}

TEST_F(Restore, ResyncsTheProgramDispatchesInStateTwoFirstThenSecond) {
    master.program->setState(4096, 2);
    master.program->setState(4097, 1);
    takeOverWith({});
    EXPECT_EQ(master.program->calls().calls(), (Lines{"dispatchResyncFirst(4096,0)", "dispatchResyncSecond(4096,0)"}));
}

TEST_F(Restore, AnEmptyTableLinksTheOwnPortAndSendsNothing) {
    takeOverWith({});
    EXPECT_EQ(master.targets(), std::set<std::string>{master.target()});
    EXPECT_EQ(master.linkMgr.calls().count("sendRequest"), 0u);
}

}  // namespace
}  // namespace qorva::mediadispatch
