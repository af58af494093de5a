// The input source controller's thread, its iterations and the frame taps.
#include <fmt/format.h>

#include "inputsourcerenderctrl/inputfixture.h"
#include "qorvahost/tavcore.h"

namespace qorva::mediadispatch::test {
namespace {

TEST_F(InputCtrl, AnIterationRendersThenConsumesTheDeliveredFramesInOrder) {
    zq::avcore::PlayerGlobalSettings::setExtClock(12.5);
    const auto a = addInput("a", {1});
    addInput("silent", {2})->setLive(false);
    const auto b = addInput("b", {3});
    ctrl.setFrameDataCallBack([](const MediaInfo&, const IFrame*) {});
    start();
    EXPECT_EQ(facade->calls().calls(),
              (Strings{"scaleInputFrame(1,150,84,a)", "scaleInputFrame(3,150,84,b)", "beginInputPass()",
                       "frameConsumed(a)", "frameConsumed(b)", "endInputPass()"}));
    EXPECT_EQ(lastSleepMs.load(), 16u);
    EXPECT_EQ(a->lastClock(), 12.5);
    EXPECT_EQ(b->lastClock(), 12.5);
}

TEST_F(InputCtrl, WithoutAMediaManagerAnIterationStillBeginsAndEndsAPass) {
    ctrl.unsetMediaMgr();
    start();
    EXPECT_EQ(log.messages(), (Strings{"Render Ctrl Thread started.", "_mediaMgr is null."}));
    EXPECT_TRUE(log.contains(Info, "_mediaMgr is null."));
    EXPECT_EQ(facade->calls().calls(), (Strings{"beginInputPass()", "endInputPass()"}));
    EXPECT_EQ(lastSleepMs.load(), 16u);
}

TEST_F(InputCtrl, RenderingIsDue5MsAfterTheLastDuePassAndTheWalkStopsAtTheFirstFrameOtherwise) {
    const auto a = addInput("a", {1});
    const auto b = addInput("b", {2});
    ctrl.setFrameDataCallBack([](const MediaInfo&, const IFrame*) {});
    start();
    passAt(4'999'999);
    EXPECT_EQ(a->framesMade(), 2u);
    EXPECT_EQ(a->framesConsumed(), 2u);
    EXPECT_EQ(b->framesMade(), 1u);
    EXPECT_EQ(facade->scales(), 2u);
    passAt(5'000'000);
    EXPECT_EQ(b->framesMade(), 2u);
    EXPECT_EQ(facade->scales(), 4u);
}

TEST_F(InputCtrl, TheScaledTapDescribesThePlacement) {
    addInput("a", {1, 9});
    recordTaps(true);
    start();
    std::lock_guard lock(tapMutex);
    EXPECT_EQ(frameTapSizes, (Strings{"150x84", "150x84"}));
    EXPECT_EQ(inputTaps, (Strings{"1:150x84", "9:150x84"}));
    const MediaInfo& info = frameTaps.at(1);
    EXPECT_EQ(fmt::format("{} {} {} {} {} {} {}", info.firstId, info.secondId, info.mediaId, info.reserved,
                          info.layerNumber, info.kind, info.active),
              "0 0 9 0 3 14 true");
    const LayerFrameInfo record = facade->lastScaled();
    EXPECT_EQ(fmt::format("{} {} {} {} {} {} {} {}", record.layerId, record.x, record.y, record.width, record.height,
                          record.layerNumber, record.fps, record.scaleKey.empty()),
              "9 10 20 640 360 4096 50 true");
}

struct TapCase {
    const char* name;
    bool frameTap;
    bool switchOn;
    Strings events;
    size_t frameTaps;
    Strings inputTaps;  // placement id and size of each frame the input-frame tap received
};

class Taps : public InputCtrl, public ::testing::WithParamInterface<TapCase> {};

TEST_P(Taps, FollowTheSwitchTheEditClientAndTheFrameDataTap) {
    const TapCase& c = GetParam();
    addInput("a", {1});
    ctrl.setZQRuntime(&host.runtime);
    for (const auto& event : c.events) host.runtime.fireEvent(event);
    ctrl.setFrameDataSwitch(c.switchOn);
    recordTaps(c.frameTap);
    start();
    std::lock_guard lock(tapMutex);
    EXPECT_EQ(frameTaps.size(), c.frameTaps);
    EXPECT_EQ(inputTaps, c.inputTaps);
    EXPECT_EQ(facade->inputPasses(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Taps,
    ::testing::Values(TapCase{"Scaled", true, true, {}, 1, {"1:150x84"}},
                      TapCase{"SwitchedOff", true, false, {}, 0, {}},
                      TapCase{"EditClientGone", true, true, {"OnEditDisconnect"}, 0, {}},
                      TapCase{"EditClientBack", true, true, {"OnEditDisconnect", "OnEditConnected"}, 1, {"1:150x84"}},
                      TapCase{"SourceFrame", false, false, {}, 0, {"1:320x180"}},
                      TapCase{"SourceFrameWithoutEditClient", false, true, {"OnEditDisconnect"}, 0, {"1:320x180"}}),
    [](const auto& info) { return std::string(info.param.name); });

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
