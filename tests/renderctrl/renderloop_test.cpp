// The render controller's thread and draw pass.
#include <atomic>
#include <future>
#include <thread>

#include <gtest/gtest.h>

#include "common/finishedthreads.h"
#include "common/log.h"
#include "qorvasim/host.h"
#include "qorvasim/pausepoints.h"
#include "renderctrl/renderctrl.h"
#include "support/clocks.h"
#include "support/logcapture.h"
#include "support/sleephook.h"

namespace qorva::mediadispatch {
namespace {

using namespace std::chrono_literals;
using renderctrl::log::Info;
using renderctrl::log::Warn;

constexpr const char* kCard = "#0(Test Card)";

class RenderLoop : public ::testing::Test {
protected:
    void SetUp() override {
        card->vblank().setManual(true);
        ctrl->setCardName(kCard);
        ctrl->setRenderFacade(card);
    }
    void TearDown() override {
        card->vblank().open();
        ctrl.reset();
    }
    void wire() {
        ctrl->setOutPutLayoutMgr(host.layoutMgr);
        ctrl->setMediaMgr(&host.mediaMgr);
        ctrl->setZQRuntime(&host.runtime);
        ctrl->setSenderMgr(&host.senderMgr);
    }
    // With the thread blocked in a vertical-blank wait: runs release() on another
    // thread and, once the loop flag is down, lets that one wait return.
    void releaseWithOneStep() {
        auto released = std::async(std::launch::async, [this] { ctrl->release(); });
        while (ctrl->isRunning()) std::this_thread::yield();
        card->vblank().step();
        ASSERT_EQ(released.wait_for(5s), std::future_status::ready);
    }

    qrc::test::LogCapture log;
    qrc::test::ManualClocks clocks{1000};
    sim::SimHost host;
    std::shared_ptr<sim::SimRenderFacade> card = host.addCard(kCard);
    std::unique_ptr<RenderCtrl> ctrl = std::make_unique<RenderCtrl>();
};

TEST_F(RenderLoop, APassDrawsSendsTexturesInKeyOrderAndEndsTheFrame) {
    wire();
    card->setRecording(true);
    host.senderMgr.setRecording(true);
    card->setOutputTextures({{3, 30}, {1, 10}, {2, 0}});
    ctrl->updateFrameData(0);
    EXPECT_EQ(card->calls().calls(),
              (std::vector<std::string>{"render()", "getOutputTextures(#0(Test Card))", "endFrame()"}));
    EXPECT_EQ(host.senderMgr.calls().calls(),
              (std::vector<std::string>{"updateSenderTexture(1,10)", "updateSenderTexture(3,30)"}));
    EXPECT_EQ(host.layoutMgr->layerSizeQueries(kCard), 1u);
}

TEST_F(RenderLoop, APassWithoutServicesStillDrawsAndEndsTheFrame) {
    ctrl->updateFrameData(0);
    EXPECT_EQ(card->renders(), 1u);
    EXPECT_EQ(card->endFrames(), 1u);
    EXPECT_TRUE(log.contains(Warn, "layoutMgrSharedPtr is null."));
    ctrl->setOutPutLayoutMgr(host.layoutMgr);
    ctrl->updateFrameData(0);
    EXPECT_TRUE(log.contains(Info, "_mediaMgr is null."));
    EXPECT_EQ(host.senderMgr.updates(), 0u);
}

TEST_F(RenderLoop, APassWithoutAFacadeOnlyWarns) {
    RenderCtrl bare;
    bare.setOutPutLayoutMgr(host.layoutMgr);
    bare.setMediaMgr(&host.mediaMgr);
    bare.updateFrameData(0);
    EXPECT_EQ(log.messages(), std::vector<std::string>{"renderFacade is null."});
    EXPECT_EQ(host.layoutMgr->layerSizeQueries(""), 0u);
}

struct StatisticsCase {
    uint64_t passMs;
    bool logged;
};

class Statistics : public RenderLoop, public ::testing::WithParamInterface<StatisticsCase> {};

TEST_P(Statistics, AreLoggedOnlyForPassesLongerThan10Ms) {
    wire();
    card->setRenderHook([&] { clocks.advanceMs(GetParam().passMs); });
    ctrl->updateFrameData(0);
    const std::string line = fmt::format(
        "draw time:{0} update:0 draw:{0} updateOutput:0 release:0 getPlayersTime:0 orgthumbnailTime:0 "
        "renderFrameTime:0 updateFrameDataTime:0 mediaDataScaleTime:0 jumpScaleFrameCnt:0",
        GetParam().passMs);
    EXPECT_EQ(log.contains(Info, line), GetParam().logged);
    EXPECT_EQ(log.size(), GetParam().logged ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Boundary, Statistics,
                         ::testing::Values(StatisticsCase{10, false}, StatisticsCase{11, true},
                                           StatisticsCase{0, false}));

TEST_F(RenderLoop, TheFirstFrameRateLineComesTenSecondsAfterConstruction) {
    wire();
    auto passesAt = [&](int64_t second, int passes) {
        clocks.setWallSeconds(second);
        for (int i = 0; i < passes; ++i) ctrl->updateFrameData(0);
    };
    passesAt(1000, 2);
    passesAt(1008, 4);  // four passes in this second...
    passesAt(1009, 1);
    EXPECT_EQ(log.count(Info, "draw fps:4"), 0u);
    passesAt(1010, 1);  // ...are what the line reports
    EXPECT_EQ(log.count(Info, "draw fps:4"), 1u);
    EXPECT_NE(log.records().at(0).line.find(":updateFrameData()#"), std::string::npos);
    passesAt(1019, 3);
    EXPECT_EQ(log.size(), 1u);
    passesAt(1020, 1);
    EXPECT_EQ(log.size(), 2u);
}

std::atomic<int> oneMsSleeps{0};

struct SleepCase {
    int passesInSecond;
    int sleeps;
};

class FastCard : public RenderLoop, public ::testing::WithParamInterface<SleepCase> {};

TEST_P(FastCard, SleepsOneMsAfterEachPassWhenTheLastSecondHadMoreThan76) {
    wire();
    oneMsSleeps = 0;
    const qrc::test::SleepHookScope sleeps([](unsigned ms) { oneMsSleeps += ms == 1 ? 1 : 0; });
    clocks.setWallSeconds(1001);
    for (int i = 0; i < GetParam().passesInSecond; ++i) ctrl->updateFrameData(0);
    EXPECT_EQ(oneMsSleeps.load(), 0);
    clocks.setWallSeconds(1002);
    ctrl->updateFrameData(0);
    EXPECT_EQ(oneMsSleeps.load(), GetParam().sleeps);
}

INSTANTIATE_TEST_SUITE_P(Boundary, FastCard, ::testing::Values(SleepCase{77, 1}, SleepCase{76, 0}));

TEST_F(RenderLoop, ReleaseReturnsAfterThePassAndWaitInProgress) {
    ctrl->start();
    ASSERT_TRUE(card->vblank().awaitWait(1));
    EXPECT_TRUE(log.contains(Info, "Render Ctrl Thread started."));
    const uint64_t before = card->renders();
    releaseWithOneStep();
    EXPECT_EQ(card->renders(), before);
    EXPECT_EQ(log.count(Info, "Render Ctrl Thread stoped."), 1u);

    const size_t lines = log.size();
    ctrl->release();  // a second release does nothing
    EXPECT_EQ(log.size(), lines);

    ctrl->start();  // and a later start runs a new thread
    ASSERT_TRUE(card->vblank().awaitWait(2));
    releaseWithOneStep();
    EXPECT_EQ(log.count(Info, "Render Ctrl Thread stoped."), 2u);
}

TEST_F(RenderLoop, AThreadWithoutAFacadeEndsAtOnce) {
    RenderCtrl orphan;
    orphan.setRenderFacade(std::weak_ptr<qorva::mediaoutput::IRenderFacade>());
    orphan.start();
    ASSERT_TRUE(log.waitFor(Info, "renderFacade is null."));
    orphan.release();
    EXPECT_EQ(log.messages(), (std::vector<std::string>{"Render Ctrl Thread started.", "renderFacade is null."}));
}

TEST_F(RenderLoop, TheThreadKeepsItsFacadeWhenTheHostDropsIt) {
    auto own = std::make_shared<sim::SimRenderFacade>("#1(Own)");
    own->vblank().setManual(true);
    sim::SimRenderFacade* raw = own.get();
    RenderCtrl kept;
    kept.setRenderFacade(own);
    kept.start();
    ASSERT_TRUE(raw->vblank().awaitWait(1));
    own.reset();
    raw->vblank().step();
    ASSERT_TRUE(raw->vblank().awaitWait(2));
    EXPECT_EQ(raw->renders(), 2u);
    EXPECT_FALSE(log.contains(Warn, "renderFacade is null."));
    raw->vblank().open();
}

// The host may free the tap's receiver once the clear returns: a pass that still
// calls the old tap (here driven from outside, as the frame sync thread drives a
// card) is waited for.
TEST_F(RenderLoop, ClearingTheTapWaitsForAPassThatStillCallsIt) {
    wire();
    ctrl->setMediaDispatchMgr(host.dispatchMgr);
    host.addPlayer(kCard, {.name = "p"}, 1, 1);
    ctrl->setFrameDataCallBack([](const qorva::MediaInfo&, const zq::mediacore::IFrame*) { sim::pausePoint("tap"); });
    const auto parked = sim::armPause("tap");
    auto driven = std::async(std::launch::async, [this] { ctrl->updateFrameData(0); });
    ASSERT_TRUE(parked->awaitEntered());
    auto cleared = std::async(std::launch::async, [this] { ctrl->setFrameDataCallBack({}); });
    EXPECT_EQ(cleared.wait_for(50ms), std::future_status::timeout);
    parked->release();
    EXPECT_EQ(cleared.wait_for(5s), std::future_status::ready);
}

// A tap of another card that clears this card's tap waits for this card's pass too,
// and the old tap, with what it captured, goes on the clearing thread once that pass
// let go of it: no controller keeps a copy.
TEST_F(RenderLoop, AClearFromAnotherCardsTapWaitsForThisPassAndLetsTheTapGoThere) {
    wire();
    ctrl->setMediaDispatchMgr(host.dispatchMgr);
    host.addPlayer(kCard, {.name = "p"}, 1, 1);
    std::promise<std::thread::id> freedOn;
    const auto freeing = [&](int* p) {
        delete p;
        freedOn.set_value(std::this_thread::get_id());
    };
    ctrl->setFrameDataCallBack(
        [token = std::shared_ptr<int>(new int(0), freeing)](const qorva::MediaInfo&, const zq::mediacore::IFrame*) {
            sim::pausePoint("tap", kCard);
        });
    const auto parked = sim::armPause("tap", kCard);
    constexpr const char* kOtherCard = "#1(Other Card)";
    host.addPlayer(kOtherCard, {.name = "q"}, 2, 1);
    RenderCtrl other;
    other.setCardName(kOtherCard);
    other.setRenderFacade(host.addCard(kOtherCard));
    other.setOutPutLayoutMgr(host.layoutMgr);
    other.setMediaMgr(&host.mediaMgr);
    other.setMediaDispatchMgr(host.dispatchMgr);
    std::thread::id clearingThread;
    other.setFrameDataCallBack([&](const qorva::MediaInfo&, const zq::mediacore::IFrame*) {
        clearingThread = std::this_thread::get_id();
        ctrl->setFrameDataCallBack({});
    });
    auto driven = std::async(std::launch::async, [this] { ctrl->updateFrameData(0); });
    ASSERT_TRUE(parked->awaitEntered());
    auto clearing = std::async(std::launch::async, [&] { other.updateFrameData(0); });
    EXPECT_EQ(clearing.wait_for(50ms), std::future_status::timeout);
    parked->release();
    ASSERT_EQ(clearing.wait_for(5s), std::future_status::ready);
    auto freed = freedOn.get_future();
    ASSERT_EQ(freed.wait_for(0s), std::future_status::ready) << "the old tap is still held";
    EXPECT_EQ(freed.get(), clearingThread);
    other.release();
}

// A tap that clears the tap cannot wait for its own pass: on a render thread the
// loop ends after that pass; on a thread that drives the card the pass just ends.
TEST_F(RenderLoop, ATapThatClearsTheTapEndsItsThreadAfterThatPass) {
    wire();
    ctrl->setMediaDispatchMgr(host.dispatchMgr);
    host.addPlayer(kCard, {.name = "p"}, 1, 1);
    int calls = 0;
    const auto clearing = [&](const qorva::MediaInfo&, const zq::mediacore::IFrame*) {
        ++calls;
        ctrl->setFrameDataCallBack({});
    };
    ctrl->setFrameDataCallBack(clearing);
    ctrl->updateFrameData(0);
    ctrl->updateFrameData(0);
    EXPECT_EQ(calls, 1);
    ctrl->setFrameDataCallBack(clearing);
    card->vblank().open();
    ctrl->start();
    ASSERT_TRUE(log.waitFor(Info, "Render Ctrl Thread stoped."));
    ctrl->release();
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(log.count(renderctrl::log::Err, "render pass failed: Resource deadlock avoided"), 0u);
}

TEST_F(RenderLoop, DestroyingTheControllerJoinsItsThread) {
    ctrl->start();
    ASSERT_TRUE(card->vblank().awaitWait(1));
    card->vblank().open();
    ctrl.reset();
    EXPECT_EQ(log.count(Info, "Render Ctrl Thread stoped."), 1u);
}

// The host drops its last reference from inside a pass: the thread cannot join
// itself, so the loop ends after that pass and nothing it still uses is freed.
TEST_F(RenderLoop, DestroyedFromItsOwnPassTheControllerEndsAfterThatPass) {
    const uint64_t kept = renderctrl::keptThreadCount();
    std::promise<void> started;  // the host's start() has returned before its pass drops it
    card->setRenderHook([this, after = started.get_future().share()] {
        after.wait_for(5s);
        ctrl.reset();
    });
    card->vblank().open();
    ctrl->start();
    started.set_value();
    ASSERT_TRUE(log.waitFor(Info, "Render Ctrl Thread stoped."));
    ASSERT_TRUE(renderctrl::joinKeptThreads(kept + 1, 5s));  // the thread has ended
    EXPECT_EQ(card->renders(), 1u);
    EXPECT_EQ(card->endFrames(), 1u);  // the pass in progress was finished
}

}  // namespace
}  // namespace qorva::mediadispatch
