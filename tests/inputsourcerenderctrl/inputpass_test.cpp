// The input source controller's thread, its iterations and the frame taps.
#include <fmt/format.h>

#include <system_error>

#include "common/finishedthreads.h"
#include "inputsourcerenderctrl/inputfixture.h"
#include "qorvahost/tavcore.h"

namespace qorva::mediadispatch::test {
namespace {

TEST_F(InputCtrl, AnIterationTapsScaledFramesThenConsumesTheDeliveredOnesInOrder) {
    zq::avcore::PlayerGlobalSettings::setExtClock(12.5);
    addInput("a", {1, 9});
    addInput("silent", {2})->setLive(false);
    addInput("b", {3});
    recordTaps(true);
    start();
    EXPECT_EQ(facade->calls().calls(),
              (Strings{"scaleInputFrame(1,150,84,a)", "scaleInputFrame(9,150,84,a)", "scaleInputFrame(3,150,84,b)",
                       "beginInputPass()", "frameConsumed(a)", "frameConsumed(b)", "endInputPass()"}));
    EXPECT_EQ(lastSleepMs.load(), 16u);
    EXPECT_EQ(players[1]->lastClock(), 12.5);
    EXPECT_EQ(frameTaps.at(1), "0 0 9 0 3 14 true:150x84");
    EXPECT_EQ(inputTaps, (Strings{"1:150x84", "9:150x84", "3:150x84"}));
    const LayerFrameInfo& r = facade->lastScaled;
    EXPECT_EQ(fmt::format("{} {} {} {} {} {} {} {}", r.layerId, r.x, r.y, r.width, r.height, r.layerNumber, r.fps,
                          r.scaleKey.empty()),
              "3 10 20 640 360 4096 50 true");
}

TEST_F(InputCtrl, WithoutAMediaManagerAnIterationStillBeginsAndEndsAPass) {
    ctrl.unsetMediaMgr();
    start();
    EXPECT_EQ(log.count(Info, "_mediaMgr is null."), 1u);
    EXPECT_EQ(facade->calls().calls(), (Strings{"beginInputPass()", "endInputPass()"}));
    EXPECT_EQ(lastSleepMs.load(), 16u);
}

TEST_F(InputCtrl, RenderingIsDue5MsAfterTheLastDuePassAndTheWalkStopsAtTheFirstFrameOtherwise) {
    const auto a = addInput("a", {1});
    const auto b = addInput("b", {2});
    recordTaps(true);
    start();
    passAt(4'999'999);
    EXPECT_EQ(a->framesConsumed(), 2u);
    EXPECT_EQ(b->framesMade(), 1u);
    EXPECT_EQ(frameTaps.size(), 2u);
    passAt(5'000'000);
    EXPECT_EQ(b->framesMade(), 2u);
    EXPECT_EQ(frameTaps.size(), 4u);
}

struct TapCase {
    bool frameTap;
    bool switchOn;
    Strings events;
    size_t frameTaps;
    Strings inputTaps;
};

class Taps : public InputCtrl, public ::testing::WithParamInterface<TapCase> {};

TEST_P(Taps, FollowTheSwitchTheEditClientAndTheFrameDataTap) {
    addInput("a", {1});
    ctrl.setZQRuntime(&host.runtime);
    for (const auto& event : GetParam().events) host.runtime.fireEvent(event);
    ctrl.setFrameDataSwitch(GetParam().switchOn);
    recordTaps(GetParam().frameTap);
    start();
    EXPECT_EQ(frameTaps.size(), GetParam().frameTaps);
    EXPECT_EQ(inputTaps, GetParam().inputTaps);
    EXPECT_EQ(facade->inputPasses(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Taps,
    ::testing::Values(TapCase{true, false, {}, 0, {}}, TapCase{true, true, {"OnEditDisconnect"}, 0, {}},
                      TapCase{true, true, {"OnEditDisconnect", "OnEditConnected"}, 1, {"1:150x84"}},
                      TapCase{false, false, {}, 0, {"1:320x180"}},  // the source frame itself
                      TapCase{false, true, {"OnEditDisconnect"}, 0, {"1:320x180"}}));

TEST_F(InputCtrl, AScalingLeftWithoutAPictureFeedsOnlyTheInputFrameTap) {
    addInput("a", {1});
    facade->fill = false;
    recordTaps(true);
    start();
    EXPECT_EQ(frameTaps, Strings{});
    EXPECT_EQ(inputTaps, Strings{"1:0x0"});
}

// The throttle is one for the process: a second controller's pass right after the
// first one's is not due and renders nothing.
TEST_F(InputCtrl, ControllersShareOneThrottle) {
    addInput("a", {1});
    recordTaps(false);
    start();
    auto other = std::make_shared<InputFacade>();
    InputSourceRenderCtrl second;
    int secondTaps = 0;
    second.setMediaMgr(&host.mediaMgr);
    second.setInputFrameDataUpdateCallBack([&](uint64_t, const IFrame*) { ++secondTaps; });
    second.setRenderFacade(other);
    ASSERT_TRUE(gate.awaitWait(2));
    EXPECT_EQ(inputTaps.size(), 1u);
    EXPECT_EQ(secondTaps, 0);
    EXPECT_EQ(other->inputPasses(), 1u);
    gate.open();
}

// Neither can join the thread from its own tap: release throws, destruction ends the
// thread after that pass and its handle is joined later, never detached.
TEST_F(InputCtrl, FromItsOwnTapReleaseThrowsAndDestructionEndsTheThreadAfterThatPass) {
    addInput("a", {1, 2});
    gate.open();
    auto owned = std::make_unique<InputSourceRenderCtrl>();
    bool threw = false;
    int taps = 0;
    owned->setMediaMgr(&host.mediaMgr);
    owned->setInputFrameDataUpdateCallBack([&](uint64_t, const IFrame*) {
        if (++taps > 1) return;
        try {
            owned->release();
        } catch (const std::system_error&) {
            threw = true;
        }
        owned.reset();
    });
    const uint64_t kept = renderctrl::keptThreadCount();
    owned->setRenderFacade(facade);
    ASSERT_TRUE(renderctrl::joinKeptThreads(kept + 1, std::chrono::seconds(5)));
    EXPECT_TRUE(threw);
    EXPECT_EQ(taps, 2);
    EXPECT_EQ(facade->inputPasses(), 1u);
    EXPECT_EQ(log.count(Info, "Render Ctrl Thread stoped."), 1u);
}

// release() from its own tap cannot join, yet the loop ends after that pass; and the
// pass lets its copy of the taps go at its end, so a cleared tap is gone at once.
TEST_F(InputCtrl, ReleaseFromItsTapEndsTheLoopAndAClearedTapIsNotKept) {
    addInput("a", {1});
    auto captured = std::make_shared<bool>(false);
    const std::weak_ptr<bool> watch = captured;
    ctrl.setInputFrameDataUpdateCallBack([this, captured](uint64_t, const IFrame*) {
        try {
            ctrl.release();
        } catch (const std::system_error&) {
            *captured = true;
        }
    });
    captured.reset();
    start();
    ctrl.setInputFrameDataUpdateCallBack({});
    EXPECT_TRUE(watch.expired());
    gate.open();
    EXPECT_TRUE(log.waitFor(Info, "Render Ctrl Thread stoped."));
}

TEST_F(InputCtrl, AnEmptyFacadeEndsTheThreadAndALaterOneDoesNotRestartIt) {
    ctrl.setRenderFacade({});
    ASSERT_TRUE(log.waitFor(Info, "renderFacade is null."));
    ctrl.setRenderFacade(facade);
    ctrl.release();
    EXPECT_EQ(log.messages(), (Strings{"Render Ctrl Thread started.", "renderFacade is null."}));
    EXPECT_EQ(facade->inputPasses(), 0u);
}

TEST_F(InputCtrl, AFacadeEmptiedWhileTheThreadRunsKeepsTheRhythm) {
    start();
    lastSleepMs = 0;
    ctrl.setRenderFacade({});
    passAt(0);
    EXPECT_EQ(log.count(Warn, "renderFacade is null."), 1u);
    EXPECT_EQ(lastSleepMs.load(), 16u);
    EXPECT_EQ(facade->inputPasses(), 1u);
}

TEST_F(InputCtrl, MovesHandTheThreadOverAndStopTheOneReplaced) {
    gate.setManual(false);  // a real 60 Hz rhythm
    auto other = std::make_shared<InputFacade>();
    InputSourceRenderCtrl second;
    ctrl.setRenderFacade(facade);
    second.setRenderFacade(other);
    ASSERT_TRUE(facade->awaitInputPasses(1));
    ctrl = std::move(second);
    EXPECT_EQ(log.count(Info, "Render Ctrl Thread stoped."), 1u);
    const uint64_t stopped = facade->inputPasses();
    ASSERT_TRUE(other->awaitInputPasses(other->inputPasses() + 2));
    EXPECT_EQ(facade->inputPasses(), stopped);
    {
        InputSourceRenderCtrl third(std::move(ctrl));
        second.release();
        ctrl.release();
        ASSERT_TRUE(other->awaitInputPasses(other->inputPasses() + 2));
        EXPECT_EQ(log.count(Info, "Render Ctrl Thread stoped."), 1u);
    }
    EXPECT_EQ(log.count(Info, "Render Ctrl Thread stoped."), 2u);
}

}  // namespace
}  // namespace qorva::mediadispatch::test
