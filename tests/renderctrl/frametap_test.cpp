// The frame update of a draw pass and the frame data tap, on the simulated host.
#include <optional>

#include <gtest/gtest.h>

#include "common/log.h"
#include "qorvahost/zqmediacore_control.h"
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
using Lines = std::vector<std::string>;

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
    static tarsel::InputSourceItem item(tarsel::InputSourceItem with) {
        with.placements = {{kLayer, 0.f, 0.f, 1920.f, 1080.f}};
        with.layerNumber = kLayerNumber;
        with.tapEnabled = true;
        return with;
    }
    static std::shared_ptr<IFrame> frameOf(int32_t width, int32_t height) {
        auto frame = std::make_shared<IFrame>();
        frame->attachPicture(std::make_shared<zq::mediacore::STAVFrame>(zq::mediacore::STAVFrame{width, height, {}}));
        return frame;
    }
    std::vector<std::string> drawn() {
        host.layoutMgr->setRecordFrames(true);
        host.layoutMgr->calls().clear();
        pass();
        return host.layoutMgr->calls().calls();
    }

    qrc::test::LogCapture log;
    qrc::test::ManualClocks clocks{1000};
    sim::SimHost host;
    std::shared_ptr<TapFacade> card = std::make_shared<TapFacade>(kCard);
    RenderCtrl ctrl;
    std::vector<std::pair<int32_t, int32_t>> taps;  // the width and height of each tapped frame
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
    EXPECT_EQ(taps[0], std::pair(c.tapWidth, c.tapHeight));
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
    EXPECT_EQ(taps[0], std::pair(640, 360));
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

struct ThumbnailCase {
    bool online;
    bool tapSet;
    Lines drawn;
    uint64_t destroyed;
};

class Thumbnail : public FrameTap, public ::testing::WithParamInterface<ThumbnailCase> {};

// The media's thumbnail replaces the player: its current frame while online (taken
// only for the tap), else its original frame, destroyed after the pass.
TEST_P(Thumbnail, DrawsTheFrameOfItsModeWithoutANewFrame) {
    auto meta = std::make_shared<sim::SimMeta>("m1", "", 0);
    meta->setOrgThumbFrame(frameOf(48, 27));
    meta->setCurrentFrame(frameOf(32, 18));
    host.addItem(kCard, item({.thumbnailMeta = meta, .thumbnailOnline = GetParam().online}));
    if (!GetParam().tapSet) ctrl.setFrameDataCallBack({});
    EXPECT_EQ(drawn(), GetParam().drawn);
    EXPECT_EQ(meta->thumbnailsDestroyed(), GetParam().destroyed);
    EXPECT_TRUE(taps.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Modes, Thumbnail,
    ::testing::Values(ThumbnailCase{false, true, {"updateLayerFrame(7,3,static=0,noNew=1,48x27)"}, 1},
                      ThumbnailCase{false, false, {"updateLayerFrame(7,3,static=0,noNew=1,48x27)"}, 1},
                      ThumbnailCase{true, true, {"updateLayerFrame(7,3,static=0,noNew=1,32x18)"}, 0},
                      ThumbnailCase{true, false, {}, 0}));

TEST_F(FrameTap, AStillLayerPullsNoFrameAndIsCaughtByTheFacade) {
    const auto player = std::make_shared<sim::SimPlayer>(sim::SimPlayer::Options{});
    host.addItem(kCard, item({.isStatic = true, .sharedPlayer = player}));
    card->setRecording(true);
    EXPECT_EQ(drawn(), Lines{"updateLayerFrame(7,3,static=1,noNew=0,null)"});
    EXPECT_EQ(player->framesMade(), 0u);
    EXPECT_EQ(card->calls().count("catchLayerFrame"), 1u);
    EXPECT_EQ(taps.size(), 1u);  // the tail taps the layer the card drew
}

TEST_F(FrameTap, AnUnscaledTapGetsThePlayersOwnFrame) {
    const auto player = std::make_shared<sim::SimPlayer>(sim::SimPlayer::Options{.width = 64, .height = 36});
    host.addItem(kCard, item({.sharedPlayer = player, .tapUnscaled = true}));
    EXPECT_EQ(drawn(), Lines{"updateLayerFrame(7,3,static=1,noNew=0,64x36)"});
    EXPECT_EQ(card->scales.size(), 0u);
    ASSERT_EQ(taps.size(), 1u);
    EXPECT_EQ(taps[0], std::pair(64, 36));
}

// The tap frame is made for every tapped placement, also when an unsized layer is
// not rescaled and no tap follows.
TEST_F(FrameTap, ATapFrameIsMadeBeforeTheLayerSizeDecides) {
    host.layoutMgr->setLayerSizes(kCard, {{kLayer, kLayerNumber, 0, 0}});
    addPlayer();
    pass();
    const uint64_t before = zq::mediacore::control::framesConstructed();
    pass();
    EXPECT_EQ(taps.size(), 1u);
    EXPECT_EQ(zq::mediacore::control::framesConstructed() - before, 2u);  // the player's frame and the tap's
}

struct GateCase {
    void (*close)(RenderCtrl&);
    bool silentPlayer;  // the catch-up path instead of a new frame
};

class TapGate : public FrameTap, public ::testing::WithParamInterface<GateCase> {};

TEST_P(TapGate, StopsTheTapOnItsOwnOnEveryPath) {
    const auto player = addPlayer();
    if (GetParam().silentPlayer) {
        pass();
        player->setLive(false);
        clocks.advanceMs(151);
    }
    const size_t before = taps.size();
    GetParam().close(ctrl);
    pass();
    EXPECT_EQ(taps.size(), before);
    EXPECT_EQ(host.layoutMgr->framesPerLayer()[kLayer], 1u);  // the layer itself is still drawn
}

INSTANTIATE_TEST_SUITE_P(Gates, TapGate,
                         ::testing::Values(GateCase{[](RenderCtrl& c) { c.setLinkState(true); }, false},
                                           GateCase{[](RenderCtrl& c) { c.setLinkState(true); }, true},
                                           GateCase{[](RenderCtrl& c) { c.setFrameDataSwitch(false); }, false},
                                           GateCase{[](RenderCtrl& c) { c.setFrameDataSwitch(false); }, true}));

struct UpdateCase {
    bool clientMode;
    int32_t sourceType;  // -1: the player has no meta
    bool drawn;
    const char* warning;
};

class UpdateRule : public FrameTap, public ::testing::WithParamInterface<UpdateCase> {};

// Type 4 sources are drawn by the host itself, unless it runs as a client.
TEST_P(UpdateRule, DecidesWhetherALayerIsHandedOn) {
    struct MetalessPlayer : sim::SimPlayer {
        using SimPlayer::SimPlayer;
        std::shared_ptr<zq::mediacore::IMeta> getMeta() override { return nullptr; }
    };
    const UpdateCase& c = GetParam();
    host.runtime.setClientMode(c.clientMode);
    const sim::SimPlayer::Options options{.sourceType = c.sourceType};
    auto player =
        c.sourceType < 0 ? std::make_shared<MetalessPlayer>(options) : std::make_shared<sim::SimPlayer>(options);
    host.addItem(kCard, item({.sharedPlayer = player}));
    pass();
    EXPECT_EQ(host.layoutMgr->framesPerLayer()[kLayer], c.drawn ? 1u : 0u);
    EXPECT_EQ(log.size(), *c.warning ? 1u : 0u);
    if (*c.warning) {
        EXPECT_TRUE(log.contains(renderctrl::log::Warn, c.warning));
    }
}

INSTANTIATE_TEST_SUITE_P(Table, UpdateRule,
                         ::testing::Values(UpdateCase{false, 4, false, ""}, UpdateCase{true, 4, true, ""},
                                           UpdateCase{false, 0, true, ""},
                                           UpdateCase{false, -1, true, "sharedMeta is null."}));

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
