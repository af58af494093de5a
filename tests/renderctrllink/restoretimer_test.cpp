// The restore timer against the host's threads: a restore in progress at teardown, a
// callback the runtime runs just after a stop, a runtime or a wiring that goes while
// a timer starts.
#include <gtest/gtest.h>

#include <thread>

#include "qorvasim/pausepoints.h"
#include "renderctrllink/linknode.h"
#include "support/logcapture.h"

namespace qorva::mediadispatch {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

constexpr const char* kIp = "10.0.0.1";

class RestoreTimer : public qrc::test::LinkScene {
protected:
    size_t restores() const {
        return log.messagesStartingWith({"RenderCtrlLink linkTarget backupRestorePorts local"}).size();
    }
    // A link wired as the host does it, for tests that drop its parts themselves.
    std::unique_ptr<RenderCtrlLink> wiredLink(tarsel::IMediaMgr* mediaMgr, const std::shared_ptr<RenderCtrlMgr>& mgr) {
        linkMgr = &cluster.addNode(kIp);
        auto link = std::make_unique<RenderCtrlLink>();
        link->setMediaMgr(mediaMgr);
        link->setZQRuntime(&runtime);
        link->setRenderCtrl(mgr);
        link->setLinkMgr(linkMgr);
        return link;
    }

    sim::SimLinkMgr* linkMgr = nullptr;
};

// The host tears down in its documented order while a restore is inside the media
// manager: unsetLinkMgr returns only once that restore has ended and let go of the
// manager, so the media manager is destroyed after its last call.
TEST_F(RestoreTimer, UnsetLinkMgrWaitsForARestoreInProgressBeforeTheHostTearsDown) {
    auto mediaMgr = std::make_unique<sim::SimMediaMgr>();
    auto mgr = std::make_shared<RenderCtrlMgr>();
    mgr->setMediaMgr(mediaMgr.get());
    auto link = wiredLink(mediaMgr.get(), mgr);
    takeOver(kIp);
    const auto inRestore = sim::armPause("notifyMasterRole");
    runtime.advance(1000ms, 0ms);
    ASSERT_TRUE(inRestore->awaitEntered());
    linkMgr->sigMasterUpdate("", kIp);  // a timer pending again, which unsetLinkMgr stops
    const auto stopping = sim::armPause("stopTimer");
    long heldAfterUnset = 0;
    std::jthread host([&] {
        link->unsetLinkMgr();
        heldAfterUnset = mgr.use_count();
        mgr->release();
        mgr->unsetMediaMgr();
        link.reset();
        mgr.reset();
        mediaMgr.reset();
    });
    ASSERT_TRUE(stopping->awaitEntered());  // unsetLinkMgr has closed the way to restores
    stopping->release();
    inRestore->release();
    host.join();
    EXPECT_EQ(heldAfterUnset, 1);
    ASSERT_TRUE(runtime.advance(1000ms));
    EXPECT_EQ(runtime.activeTimers(), 0u);
}

// The runtime has taken the timer and is about to run its callback when the host acts.
class LateCallback : public RestoreTimer {
protected:
    void SetUp() override {
        RestoreTimer::SetUp();
        takeOver(kIp);
        runtime.advance(1000ms, 0ms);
        ASSERT_TRUE(late->awaitEntered());
    }
    qrc::test::LinkNode node{cluster, runtime, kIp};
    const std::shared_ptr<sim::Parking> late = sim::armPause("runTimer");
};

TEST_F(LateCallback, RunAfterUnsetLinkMgrDoesNothing) {
    node.link.unsetLinkMgr();
    late->release();
    ASSERT_TRUE(runtime.settle());
    EXPECT_EQ(restores(), 0u);
}

// The old callback runs after a restart: the new timer stays the pending one, so giving
// the role up stops it.
TEST_F(LateCallback, RunAfterARestartLeavesTheNewTimerStoppable) {
    node.linkMgr.sigMasterUpdate("", kIp);
    late->release();
    ASSERT_TRUE(runtime.settle());
    EXPECT_EQ(restores(), 1u);
    runtime.calls().clear();
    cluster.setRole(kIp, 1);
    EXPECT_EQ(runtime.calls().calls(), Lines{"stopTimer(2)"});
    EXPECT_EQ(runtime.activeTimers(), 0u);
}

// A host that drops the link without unwiring it while a restore runs: the link ends on
// the runtime's thread when the restore lets go of it, unwired, without waiting for
// the restore it is part of.
TEST_F(RestoreTimer, ALinkDroppedDuringARestoreEndsWithItUnwired) {
    sim::SimMediaMgr mediaMgr;
    auto mgr = std::make_shared<RenderCtrlMgr>();
    auto link = wiredLink(&mediaMgr, mgr);
    takeOver(kIp);
    const auto inRestore = sim::armPause("notifyMasterRole");
    runtime.advance(1000ms, 0ms);
    ASSERT_TRUE(inRestore->awaitEntered());
    link.reset();
    EXPECT_EQ(linkMgr->methodCount(), 2u);
    inRestore->release();
    ASSERT_TRUE(runtime.settle());
    EXPECT_EQ(linkMgr->methodCount(), 0u);
}

// What takes the restore timer's ground away: the wiring or the runtime.
struct TakeAway {
    const char* name;
    void (*apply)(RenderCtrlLink&);
    friend void PrintTo(const TakeAway& takeAway, std::ostream* out) { *out << takeAway.name; }
};

class TimerGround : public RestoreTimer, public ::testing::WithParamInterface<TakeAway> {
protected:
    qrc::test::LinkNode node{cluster, runtime, kIp};
};

TEST_P(TimerGround, GoneStopsAPendingTimer) {
    takeOver(kIp);
    GetParam().apply(node.link);
    EXPECT_EQ(runtime.activeTimers(), 0u);
    ASSERT_TRUE(runtime.advance(1000ms));
    EXPECT_EQ(restores(), 0u);
}

// A takeover has read the runtime and stops the old timer when the ground goes.
TEST_P(TimerGround, GoneDuringARestartStartsNoTimer) {
    cluster.setRole(kIp, 2);
    const auto restarting = sim::armPause("stopTimer");
    std::jthread handler([&] { cluster.setRole(kIp, 0); });
    ASSERT_TRUE(restarting->awaitEntered());
    GetParam().apply(node.link);
    restarting->release();
    handler.join();
    EXPECT_EQ(runtime.activeTimers(), 0u);
}

INSTANTIATE_TEST_SUITE_P(UnwiredOrNoRuntime, TimerGround,
                         ::testing::Values(TakeAway{"Unwired", [](RenderCtrlLink& link) { link.unsetLinkMgr(); }},
                                           TakeAway{"NoRuntime",
                                                    [](RenderCtrlLink& link) { link.setZQRuntime(nullptr); }}),
                         [](const ::testing::TestParamInfo<TakeAway>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qorva::mediadispatch
