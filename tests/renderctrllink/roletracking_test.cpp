// The node's role state machine: what each role change links, dislinks and records.
#include <gtest/gtest.h>

#include "common/log.h"
#include "renderctrllink/linknode.h"
#include "renderctrllink/porttable.h"
#include "support/logcapture.h"

namespace qorva::mediadispatch {
namespace {

using namespace std::chrono_literals;
using renderctrl::log::Info;
using renderctrl::log::Warn;
using Lines = std::vector<std::string>;
using tarsel::link::ServerNodeInfo;

constexpr const char* kIp = "10.0.0.1";
constexpr const char* kCluster = "239.0.0.1";

class RoleTracking : public qrc::test::LinkScene {
protected:
    void report(int last, int now, const std::string& clusterIp = kCluster) {
        ServerNodeInfo info;
        info.ip = kIp;
        info.clusterIp = clusterIp;
        info.lastType = static_cast<uint8_t>(last);
        info.type = static_cast<uint8_t>(now);
        node.linkMgr.sigLinkedStatusChanged(info);
    }
    // The link's own lines and the manager's frame sync lines, in order.
    Lines linkLines() const { return log.messagesStartingWith({"RenderCtrlLink", "Link "}); }
    // Makes this node the master with targets reported by other nodes.
    void becomeMasterWith(const std::vector<std::pair<std::string, int>>& reports) {
        cluster.setRole(kIp, 0);
        for (const auto& [ip, port] : reports) node.linkMgr.deliver("40reportPort", std::to_string(port), ip);
        log.clear();
    }

    qrc::test::LinkNode node{cluster, runtime, kIp};
    const std::string P = std::to_string(node.port());
};

struct Cell {
    int last;
    int now;
    bool clusterRecorded;  // a former report recorded the cluster IP
    std::vector<std::string> lines;
    bool keepsMasterTime;
    bool restoreTimer;
};

class StateTable : public RoleTracking, public ::testing::WithParamInterface<Cell> {};

TEST_P(StateTable, MakesTheCallsOfItsCell) {
    const Cell& cell = GetParam();
    if (cell.clusterRecorded) report(4, cell.last);
    log.clear();
    runtime.calls().clear();
    report(cell.last, cell.now);
    Lines expected;
    for (std::string line : cell.lines) {
        for (auto at = line.find("$P"); at != std::string::npos; at = line.find("$P")) line.replace(at, 2, P);
        expected.push_back(line);
    }
    if (cell.keepsMasterTime) expected.push_back("Link keepMasterTime isClear:true");
    EXPECT_EQ(linkLines(), expected);
    EXPECT_EQ(log.count(Warn, "_frameSyncRenderCtrl is null"), 1u);  // the flag is set on every report
    for (const auto& r : log.records()) {
        if (r.message.rfind("RenderCtrlLink", 0) == 0) {
            EXPECT_NE(r.line.find(":onLinkedStatusChanged()#"), std::string::npos) << r.line;
        }
    }
    EXPECT_EQ(runtime.calls().count("startTimer"), cell.restoreTimer ? 1u : 0u);
}

const std::string kRecord = "RenderCtrlLink record clusterIp 239.0.0.1";
const std::string kToNull = "RenderCtrlLink dislinkTarget localtype -> null ip:10.0.0.1, port:$P";
const std::string kDislinkOwn = "Link dislinkTarget ip:10.0.0.1";
const std::string kClusterChanged =
    "RenderCtrlLink dislinkTarget clusterIp changed!  newclusterIp:239.0.0.1, dislinkIp:10.0.0.1,port:$P";
const std::string kMasterToOther = "RenderCtrlLink  master->other! delTimer";
const Lines kNullToMaster = {kRecord, "RenderCtrlLink linkTarget  localtype null->master ip:10.0.0.1, port:$P",
                             "Link linkTarget ip:10.0.0.1"};
const Lines kMasterToBackup = {
    kMasterToOther, "RenderCtrlLink dislinkTarget master->masterBackup local ip:10.0.0.1, port is $P", kDislinkOwn};
const Lines kBackupToMaster = {"RenderCtrlLink dislinkTarget masterBackup->master! dislinkIp:10.0.0.1,port:$P",
                               kDislinkOwn};

INSTANTIATE_TEST_SUITE_P(
    Cells, StateTable,
    ::testing::Values(
        Cell{4, 0, false, kNullToMaster, false, false}, Cell{4, 1, false, {kRecord}, false, false},
        Cell{4, 3, false, {kRecord}, false, false}, Cell{4, 2, false, {kRecord}, true, false},
        Cell{4, 4, false, {}, false, false}, Cell{0, 0, true, {}, false, false},
        Cell{0, 0, false, {kClusterChanged, kDislinkOwn}, false, false},
        Cell{0, 1, true, {kMasterToOther}, false, false}, Cell{0, 3, true, {kMasterToOther}, false, false},
        Cell{0, 2, true, kMasterToBackup, true, false}, Cell{0, 4, true, {kToNull, kDislinkOwn}, false, false},
        Cell{2, 0, true, kBackupToMaster, false, true}, Cell{2, 1, true, {}, false, false},
        Cell{2, 3, true, {}, false, false}, Cell{2, 2, true, {}, false, false},
        Cell{2, 2, false, {kClusterChanged, kDislinkOwn}, false, false},
        Cell{2, 4, true, {kToNull, kDislinkOwn}, false, false}, Cell{1, 0, true, {}, false, false},
        Cell{1, 1, true, {}, false, false}, Cell{1, 3, true, {}, false, false}, Cell{3, 1, true, {}, false, false},
        Cell{1, 1, false, {kClusterChanged, kDislinkOwn}, false, false}, Cell{1, 2, true, {}, true, false},
        Cell{3, 2, true, {}, true, false}, Cell{1, 4, true, {kToNull, kDislinkOwn}, false, false},
        Cell{3, 4, true, {kToNull, kDislinkOwn}, false, false}));

TEST_F(RoleTracking, MasterToBackupDislinksEveryTargetInIpOrderAndForgetsThem) {
    becomeMasterWith({{"10.0.0.9", 5009}, {"10.0.0.10", 5010}});
    cluster.setRole(kIp, 2);
    const Lines lines = linkLines();
    const Lines others(lines.end() - 5, lines.end() - 1);
    EXPECT_EQ(others, (Lines{"RenderCtrlLink dislinkTarget master->masterBackup other ip:10.0.0.10, port is 5010",
                             "Link dislinkTarget ip:10.0.0.10",
                             "RenderCtrlLink dislinkTarget master->masterBackup other ip:10.0.0.9, port is 5009",
                             "Link dislinkTarget ip:10.0.0.9"}));
    EXPECT_EQ(lines.back(), "Link keepMasterTime isClear:true");
    log.clear();
    cluster.setRole(kIp, 4);  // nothing left to dislink but the own port
    EXPECT_EQ(linkLines().size(), 2u);
}

// Through role 1 the master's table survives into the master backup role; the
// takeover leaves it alone and publishes it after the restore.
TEST_F(RoleTracking, BackupToMasterKeepsTheTableAndRestartsTheTimer) {
    cluster.addNode("10.0.0.2");
    cluster.setRole("10.0.0.2", 2);
    becomeMasterWith({{"10.0.0.9", 5009}});
    cluster.setRole(kIp, 1);
    cluster.setRole(kIp, 2);
    runtime.calls().clear();
    cluster.setRole(kIp, 0);
    report(2, 0);  // a second report within the second restarts the timer
    EXPECT_EQ(runtime.calls().calls(),
              (Lines{"stopTimer(-1)", "startTimer(1000,1)", "stopTimer(1)", "startTimer(1000,1)"}));
    log.clear();
    ASSERT_TRUE(runtime.advance(999ms));
    EXPECT_TRUE(linkLines().empty());
    ASSERT_TRUE(runtime.advance(1ms));
    EXPECT_EQ(log.count(Info, "RenderCtrlLink linkTarget backupRestorePorts local ip:10.0.0.1, port:" + P), 1u);
    const auto published = node.linkMgr.sentRequests().back();
    EXPECT_EQ(published.targets, Lines{"10.0.0.2"});
    EXPECT_EQ(decodePortTable(published.args), (PortTable{{kIp, node.port()}, {"10.0.0.9", 5009}}));
}

class CancelledPromotion : public RoleTracking, public ::testing::WithParamInterface<int> {};

TEST_P(CancelledPromotion, StopsAndForgetsTheTimerAndALaterPromotionRestores) {
    const std::string restored = "RenderCtrlLink linkTarget backupRestorePorts local ip:10.0.0.1, port:" + P;
    takeOver(kIp);
    runtime.calls().clear();
    cluster.setRole(kIp, GetParam());
    EXPECT_EQ(runtime.activeTimers(), 0u);
    ASSERT_TRUE(runtime.advance(1000ms));
    EXPECT_EQ(log.count(Info, restored), 0u);
    takeOver(kIp);
    EXPECT_EQ(runtime.calls().calls(), (Lines{"stopTimer(1)", "stopTimer(-1)", "startTimer(1000,1)"}));
    ASSERT_TRUE(runtime.advance(1000ms));
    EXPECT_EQ(log.count(Info, restored), 1u);
}

INSTANTIATE_TEST_SUITE_P(ToBackupOrSlave, CancelledPromotion, ::testing::Values(2, 1));

class RecordsClusterIp : public RoleTracking, public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(RecordsClusterIp, OnTheRoleChangeSoTheNextReportSeesNoChange) {
    const auto [last, now] = GetParam();
    report(4, last);
    report(last, now, "239.0.0.9");
    log.clear();
    report(now, now, "239.0.0.9");
    EXPECT_TRUE(linkLines().empty());
}

INSTANTIATE_TEST_SUITE_P(TakeOverAndGiveUp, RecordsClusterIp,
                         ::testing::Values(std::pair{2, 0}, std::pair{0, 1}, std::pair{0, 2}, std::pair{0, 3}));

// The master gave way to a new one: every link goes, the table stays and is kept for
// the restore a second later, which publishes it again.
TEST_F(RoleTracking, AMasterUpdateDislinksEverythingAndRestoresTheTableItKept) {
    cluster.addNode("10.0.0.9");
    cluster.addNode("10.0.0.10");
    becomeMasterWith({{"10.0.0.9", 5009}, {"10.0.0.10", 5010}});  // no backup: no table kept yet
    cluster.addNode("10.0.0.2");
    cluster.setRole("10.0.0.2", 2);
    runtime.calls().clear();
    node.linkMgr.sigMasterUpdate("10.0.0.5", kIp);
    EXPECT_EQ(linkLines(), (Lines{"RenderCtrlLink dislinkTarget onMasterUpdate! local Ip:10.0.0.1,port:" + P,
                                  "Link dislinkTarget ip:10.0.0.1",
                                  "RenderCtrlLink dislinkTarget onMasterUpdate! other Ip:10.0.0.10,port:5010",
                                  "Link dislinkTarget ip:10.0.0.10",
                                  "RenderCtrlLink dislinkTarget onMasterUpdate! other Ip:10.0.0.9,port:5009",
                                  "Link dislinkTarget ip:10.0.0.9"}));
    EXPECT_TRUE(node.targets().empty());
    EXPECT_EQ(runtime.calls().calls(), (Lines{"stopTimer(-1)", "startTimer(1000,1)"}));
    node.linkMgr.deliver("40reportPort", "5009", "10.0.0.9");
    EXPECT_EQ(log.count(Info, "RenderCtrlLink dislinkTarget handleReportPort ip:10.0.0.9, port:5009"), 1u);
    ASSERT_TRUE(runtime.advance(1000ms));
    EXPECT_EQ(node.targets(), (std::set<std::string>{node.target(), "10.0.0.9:5009", "10.0.0.10:5010"}));
    const auto published = node.linkMgr.sentRequests().back();
    EXPECT_EQ(published.targets, Lines{"10.0.0.2"});
    EXPECT_EQ(decodePortTable(published.args),
              (PortTable{{kIp, node.port()}, {"10.0.0.10", 5010}, {"10.0.0.9", 5009}}));
}

TEST_F(RoleTracking, WithoutARuntimeNoRestoreTimerStarts) {
    node.link.setZQRuntime(nullptr);
    report(2, 0);
    node.linkMgr.sigMasterUpdate("", kIp);
    const std::string warning = "zqRuntime is null, restore timer not started";
    ASSERT_EQ(log.count(Warn, warning), 2u);
    Lines where;
    for (const auto& r : log.records())
        if (r.message == warning) where.push_back(r.line);
    EXPECT_NE(where[0].find(":onLinkedStatusChanged()#"), std::string::npos) << where[0];
    EXPECT_NE(where[1].find(":onMasterUpdate()#"), std::string::npos) << where[1];
}

TEST_F(RoleTracking, LosingTheRoleForgetsBothTables) {
    cluster.addNode("10.0.0.7");
    becomeMasterWith({{"10.0.0.9", 5009}});
    cluster.setRole(kIp, 4);
    cluster.setRole(kIp, 2);
    node.linkMgr.deliver("40reportPorts", encodePortTable({{"10.0.0.7", 7}}), "10.0.0.8");
    cluster.setRole(kIp, 4);
    takeOver(kIp);
    ASSERT_TRUE(runtime.advance(1000ms));
    EXPECT_FALSE(node.targets().count("10.0.0.7:7"));
    log.clear();
    node.linkMgr.sigClusterNodeChanged(std::vector<ServerNodeInfo>{});  // nothing left to drop
    EXPECT_TRUE(linkLines().empty());
}

// An empty reference, or a controller interface that is not the manager.
TEST_F(RoleTracking, WithoutTheManagerNothingHappens) {
    struct OtherCtrl : IRenderCtrl {
        void setMediaDispatchMgr(std::weak_ptr<IMediaDispatchMgr>) override {}
        void unsetMediaDispatchMgr() override {}
        void setMediaMgr(tarsel::IMediaMgr*) override {}
        void unsetMediaMgr() override {}
        void setRenderFacade(std::weak_ptr<qorva::mediaoutput::IRenderFacade>) override {}
        void setFrameDataCallBack(const FrameDataCallBack&) override {}
        void setFrameDataSwitch(bool) override {}
        void createFrameSync() override {}
        void release() override {}
        void setZQRuntime(tarsel::IZQRuntime*) override {}
        void unsetZQRuntime() override {}
        void setSenderMgr(qorva::mediaoutput::IVirtualSenderMgr*) override {}
    };
    const auto other = std::make_shared<OtherCtrl>();
    for (const std::weak_ptr<IRenderCtrl>& ctrl : {std::weak_ptr<IRenderCtrl>(), std::weak_ptr<IRenderCtrl>(other)}) {
        node.link.setRenderCtrl(ctrl);
        log.clear();
        report(4, 0);
        EXPECT_EQ(log.messages(), Lines{"sharedRenderCtrl is nullptr!"});
        EXPECT_TRUE(node.targets().empty());
    }
}

struct LocalTypeCase {
    int type;
    bool reports;
};

class LocalType : public RoleTracking, public ::testing::WithParamInterface<LocalTypeCase> {};

TEST_P(LocalType, RolesOneToThreeReportTheirPortToTheMaster) {
    node.linkMgr.sigLocalTypeChanged(static_cast<tarsel::link::ServerType>(GetParam().type));
    const auto sent = node.linkMgr.sentRequests();
    ASSERT_EQ(sent.size(), GetParam().reports ? 1u : 0u);
    if (!GetParam().reports) return;
    EXPECT_EQ(sent[0].method, "40reportPort");
    EXPECT_EQ(sent[0].args, P);
    EXPECT_EQ(sent[0].toMaster, 1);
    EXPECT_EQ(sent[0].toAll, 0);
    EXPECT_EQ(sent[0].needReply, 0);
    EXPECT_TRUE(sent[0].targets.empty());
}

INSTANTIATE_TEST_SUITE_P(Types, LocalType,
                         ::testing::Values(LocalTypeCase{0, false}, LocalTypeCase{1, true}, LocalTypeCase{2, true},
                                           LocalTypeCase{3, true}, LocalTypeCase{4, false}));

TEST_F(RoleTracking, WiringRegistersTheMessagesAndUnwiringTakesEverythingBack) {
    EXPECT_EQ(node.linkMgr.backupMethods(), Lines{"40reportPorts"});
    EXPECT_EQ(node.linkMgr.methodCount(), 2u);
    EXPECT_EQ(node.linkMgr.sigLinkedStatusChanged.slot_count(), 1u);
    node.link.unsetLinkMgr();
    EXPECT_EQ(node.linkMgr.methodCount(), 0u);
    EXPECT_EQ(node.linkMgr.sigLinkedStatusChanged.slot_count() + node.linkMgr.sigLocalTypeChanged.slot_count() +
                  node.linkMgr.sigClusterNodeChanged.slot_count() + node.linkMgr.sigMasterUpdate.slot_count() +
                  node.linkMgr.sigMasterBackupAdded.slot_count(),
              0u);
    node.link.setLinkMgr(&node.linkMgr);  // the node's destructor unwires again
}

TEST_F(RoleTracking, WiringWithoutALinkManagerWarns) {
    RenderCtrlLink lonely;
    lonely.unsetLinkMgr();
    lonely.setLinkMgr(nullptr);
    EXPECT_EQ(log.count(Warn, "linkMgr is nullptr!"), 2u);
}

TEST_F(RoleTracking, ALinkDroppedWithoutUnwiringStopsItsTimerAndIsNeverCalled) {
    sim::SimLinkMgr& other = cluster.addNode("10.0.0.2");
    auto mgr = std::make_shared<RenderCtrlMgr>();
    {
        RenderCtrlLink dropped;
        dropped.setRenderCtrl(mgr);
        dropped.setZQRuntime(&runtime);
        dropped.setLinkMgr(&other);
        takeOver("10.0.0.2");  // restore timer pending
        EXPECT_EQ(runtime.activeTimers(), 1u);
    }
    EXPECT_EQ(runtime.activeTimers(), 0u);
    EXPECT_EQ(other.methodCount(), 0u);
    EXPECT_EQ(other.sigLinkedStatusChanged.slot_count(), 0u);
}

class ClusterNodes : public RoleTracking {
protected:
    static ServerNodeInfo nodeInfo(const std::string& ip, int type, bool present,
                                   std::vector<ServerNodeInfo> subNodes = {}) {
        ServerNodeInfo info;
        info.ip = ip;
        info.type = static_cast<uint8_t>(type);
        info.statusA = info.statusB = present ? 1 : 0;
        info.subNodes = std::move(subNodes);
        return info;
    }
    void announce(const std::vector<ServerNodeInfo>& nodes) { node.linkMgr.sigClusterNodeChanged(nodes); }
};

TEST_F(ClusterNodes, AnEmptyListDropsEveryTargetAndSendsTheTable) {
    cluster.addNode("10.0.0.2");
    cluster.setRole("10.0.0.2", 2);
    becomeMasterWith({{"10.0.0.3", 5003}, {"10.0.0.4", 5004}});
    node.linkMgr.calls().clear();
    announce({});
    EXPECT_EQ(log.count(Info, "RenderCtrlLink dislinkTarget onClusterNodeChanged ip:10.0.0.3, port:5003"), 1u);
    EXPECT_EQ(log.count(Info, "RenderCtrlLink dislinkTarget onClusterNodeChanged ip:10.0.0.4, port:5004"), 1u);
    EXPECT_EQ(node.linkMgr.calls().calls(), Lines{"sendRequest(40reportPorts,0,[10.0.0.2])"});
    EXPECT_EQ(node.targets(), std::set<std::string>{node.target()});
}

TEST_F(ClusterNodes, PresentRoleOneAndTwoNodesAndSubNodesKeepTheirTargets) {
    becomeMasterWith({{"10.0.0.3", 5003}, {"10.0.0.4", 5004}, {"10.0.0.5", 5005}});
    node.linkMgr.calls().clear();
    announce({nodeInfo("10.0.0.3", 1, true, {nodeInfo("10.0.0.5", 0, true)}), nodeInfo("10.0.0.4", 2, true)});
    EXPECT_TRUE(linkLines().empty());
    EXPECT_EQ(node.linkMgr.calls().size(), 0u);
}

TEST_F(ClusterNodes, MastersAbsentNodesAndOtherRolesProtectNothing) {
    becomeMasterWith({{"10.0.0.3", 5003}, {"10.0.0.4", 5004}, {"10.0.0.5", 5005}, {"10.0.0.6", 5006}});
    announce({nodeInfo("10.0.0.3", 0, true), nodeInfo("10.0.0.4", 1, false), nodeInfo("10.0.0.5", 3, true),
              nodeInfo("10.0.0.6", 1, false, {nodeInfo("10.0.0.7", 1, false)})});
    EXPECT_EQ(node.targets(), std::set<std::string>{node.target()});
}

}  // namespace
}  // namespace qorva::mediadispatch
