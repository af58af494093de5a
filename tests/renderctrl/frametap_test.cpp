// The frame update of a draw pass and the frame data tap, on the simulated host.
#include <optional>

#include <gtest/gtest.h>

#include "common/log.h"
#include "qorvasim/host.h"
#include "renderctrl/renderctrl_impl.h"
#include "support/clocks.h"
#include "support/logcapture.h"

namespace qorva::mediadispatch {
namespace {

using qorva::mediaoutput::LayerFrameInfo;
using qorva::mediaoutput::OutputLayerSize;
using renderctrl::log::Err;
using zq::mediacore::IFrame;

constexpr const char* kCard = "#0(Test Card)";
constexpr uint64_t kLayer = 7;
constexpr uint32_t kLayerNumber = 3;

// A card whose scaling yields a picture of the asked size (from no frame too, as the
// host scales from the layer it drew) and takes scaleMs on the host's clock.
class TapFacade : public sim::SimRenderFacade {
public:
    using SimRenderFacade::SimRenderFacade;
    void scaleLayerFrame(LayerFrameInfo& info, IFrame* target, uint32_t width, uint32_t height, const std::string& key,
                         bool flag) override {
        scales.record(fmt::format("scale({},{},{},{},{})", info.layerId, width, height, key, flag));
        target->attachPicture(std::make_shared<zq::mediacore::STAVFrame>(
            zq::mediacore::STAVFrame{static_cast<int32_t>(width), static_cast<int32_t>(height), {}}));
        zqcutils::control::advanceTimeMs(scaleMs);
    }
    sim::CallLog scales;
    uint64_t scaleMs = 0;
};

struct Tap {
    int32_t width = 0;
    int32_t height = 0;
};

class FrameTap : public ::testing::Test {
protected:
    void SetUp() override {
        ctrl.setCardName(kCard);
        ctrl.setRenderFacade(card);
        ctrl.setOutPutLayoutMgr(host.layoutMgr);
        ctrl.setMediaMgr(&host.mediaMgr);
        ctrl.setMediaDispatchMgr(host.dispatchMgr);
        ctrl.setZQRuntime(&host.runtime);
        ctrl.setFrameDataCallBack([this](const MediaInfo&, const IFrame* frame) {
            taps.push_back({frame->getWidth(), frame->getHeight()});
        });
    }
    std::shared_ptr<sim::SimPlayer> addPlayer(int32_t width = 64, int32_t height = 36) {
        return host.addPlayer(kCard, {.name = "p", .width = width, .height = height}, kLayer, kLayerNumber);
    }
    void pass(int count = 1) {
        for (int i = 0; i < count; ++i) ctrl.updateFrameData(0);
    }

    qrc::test::LogCapture log;
    qrc::test::ManualClocks clocks{1000};
    sim::SimHost host;
    std::shared_ptr<TapFacade> card = std::make_shared<TapFacade>(kCard);
    RenderCtrl ctrl;
    std::vector<Tap> taps;
};

struct SizeCase {
    std::optional<OutputLayerSize> entry;
    bool exempt;
    int32_t frameWidth, frameHeight;
    int32_t tapWidth, tapHeight;
};

class TapSize : public FrameTap, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(TapSize, FollowsTheLayerEntryTheMinimumAndTheFrameShape) {
    const SizeCase& c = GetParam();
    std::list<OutputLayerSize> sizes;
    if (c.entry) sizes.push_back(*c.entry);
    host.layoutMgr->setLayerSizes(kCard, sizes, c.exempt);
    addPlayer(c.frameWidth, c.frameHeight);
    pass();
    ASSERT_EQ(taps.size(), 1u);
    EXPECT_EQ(std::pair(taps[0].width, taps[0].height), std::pair(c.tapWidth, c.tapHeight));
}

INSTANTIATE_TEST_SUITE_P(
    Table, TapSize,
    ::testing::Values(SizeCase{std::nullopt, true, 64, 36, 320, 180}, SizeCase{std::nullopt, false, 36, 64, 180, 320},
                      SizeCase{OutputLayerSize{kLayer, kLayerNumber, 0, 0}, true, 64, 36, 160, 90},
                      SizeCase{OutputLayerSize{kLayer, kLayerNumber, 0, 0}, false, 64, 36, 320, 180},
                      SizeCase{OutputLayerSize{kLayer, kLayerNumber, 200, 100}, false, 64, 36, 320, 180},
                      SizeCase{OutputLayerSize{kLayer, kLayerNumber, 200, 100}, true, 64, 36, 200, 112},
                      SizeCase{OutputLayerSize{kLayer, kLayerNumber, 400, 100}, false, 64, 36, 400, 225},
                      SizeCase{OutputLayerSize{kLayer, kLayerNumber + 1, 0, 0}, true, 64, 36, 320, 180}));

TEST_F(FrameTap, ASilentPlayerGetsOneCatchUpAfter150MsThenNoneUntilANewFrame) {
    const auto player = addPlayer();
    pass();
    player->setLive(false);
    clocks.advanceMs(150);
    pass();
    EXPECT_EQ(taps.size(), 1u);
    clocks.advanceMs(1);
    pass();
    ASSERT_EQ(taps.size(), 2u);
    EXPECT_EQ(card->scales.calls().back(), "scale(7,320,180,p,true)");
    clocks.advanceMs(1000);
    pass();
    EXPECT_EQ(taps.size(), 2u);
    player->setLive(true);
    pass();
    player->setLive(false);
    clocks.advanceMs(151);
    pass();
    EXPECT_EQ(taps.size(), 4u);
}

TEST_F(FrameTap, WithoutAnEditClientOnlyTheCatchUpDelivers) {
    const auto player = addPlayer();
    pass();
    host.runtime.fireEvent("OnEditDisconnect");
    pass();
    EXPECT_EQ(taps.size(), 1u);
    player->setLive(false);
    clocks.advanceMs(151);
    pass();
    EXPECT_EQ(taps.size(), 2u);
    host.runtime.fireEvent("OnEditConnected");
    player->setLive(true);
    pass();
    EXPECT_EQ(taps.size(), 3u);
}

struct EchoCase {
    int passesInFirstSecond;
    bool echoed;
};

class LayoutEcho : public FrameTap, public ::testing::WithParamInterface<EchoCase> {};

// A second with N passes caps the tap rate at N; at 2 or more the echo is left out.
TEST_P(LayoutEcho, ResizesTheTapOfASilentPlayerOnlyBelowTwoFps) {
    const auto player = addPlayer();
    pass(GetParam().passesInFirstSecond);
    clocks.setWallSeconds(1001);
    pass();
    player->setLive(false);
    host.layoutMgr->setLayerSizes(kCard, {{kLayer, kLayerNumber, 640, 360}});
    taps.clear();
    pass();
    ASSERT_EQ(taps.size(), GetParam().echoed ? 1u : 0u);
    if (!GetParam().echoed) return;
    EXPECT_EQ(std::pair(taps[0].width, taps[0].height), std::pair(640, 360));
    EXPECT_TRUE(log.contains(Err, "frame is null"));  // the echo has no frame to fit
}

INSTANTIATE_TEST_SUITE_P(Boundary, LayoutEcho, ::testing::Values(EchoCase{1, true}, EchoCase{2, false}));

struct ScaleStep {
    int64_t wallSecond;
    uint64_t scaleMs;
    bool scaled;
};

// Scaling slower than 10 ms raises the skip count by one up to 2; each 5 s without
// lowers it by one. With a count of N a player is scaled once every N + 1 passes.
TEST_F(FrameTap, SlowScalingSkipsPassesUntilItRecovers) {
    addPlayer();
    const std::vector<ScaleStep> steps = {{1000, 11, true}, {1000, 11, true}, {1000, 11, false}, {1000, 11, false},
                                          {1000, 11, true}, {1000, 0, false}, {1006, 0, false},  {1006, 0, true},
                                          {1006, 0, false}, {1006, 0, true},  {1011, 0, false},  {1012, 0, true},
                                          {1012, 0, false}, {1012, 0, true},  {1012, 0, true}};
    for (size_t i = 0; i < steps.size(); ++i) {
        clocks.setWallSeconds(steps[i].wallSecond);
        card->scaleMs = steps[i].scaleMs;
        const size_t before = card->scales.size();
        pass();
        EXPECT_EQ(card->scales.size() - before, steps[i].scaled ? 1u : 0u) << "pass " << i + 1;
    }
}

struct FitCase {
    int32_t frameWidth, frameHeight;  // -1: no frame
    uint32_t width, height;
};

class Fit : public ::testing::TestWithParam<FitCase> {};

TEST_P(Fit, TruncatesTowardZeroInTheFramesShape) {
    qrc::test::LogCapture log;
    const FitCase& c = GetParam();
    IFrame frame;
    frame.attachPicture(
        std::make_shared<zq::mediacore::STAVFrame>(zq::mediacore::STAVFrame{c.frameWidth, c.frameHeight, {}}));
    uint32_t width = 320, height = 180;
    RenderCtrl::Impl::getFitWidthAndHeight(c.frameWidth < 0 ? nullptr : &frame, width, height);
    EXPECT_EQ(std::pair(width, height), std::pair(c.width, c.height));
    EXPECT_EQ(log.contains(Err, "frame is null"), c.frameWidth < 0);
}

INSTANTIATE_TEST_SUITE_P(Table, Fit,
                         ::testing::Values(FitCase{1920, 1080, 320, 180}, FitCase{1080, 1920, 180, 320},
                                           FitCase{1366, 768, 320, 179}, FitCase{768, 1366, 179, 320},
                                           FitCase{-1, -1, 320, 180}, FitCase{0, 0, 320, 180}));

}  // namespace
}  // namespace qorva::mediadispatch
