// The road of one frame through a draw pass, call by call.
#include <gmock/gmock.h>

#include "common/log.h"
#include "mocks/hostmocks.h"
#include "renderctrl/renderctrl.h"
#include "support/clocks.h"
#include "support/logcapture.h"

namespace qorva::mediadispatch {
namespace {

using namespace qrc::test;
using ::testing::_;
using ::testing::AllOf;
using ::testing::DoAll;
using ::testing::Field;
using ::testing::InSequence;
using ::testing::Invoke;
using ::testing::NiceMock;
using ::testing::Property;
using ::testing::Return;
using ::testing::SetArgReferee;
using zq::mediacore::IFrame;
using zq::mediacore::STAVFrame;

constexpr const char* kCard = "#0(Test Card)";

MATCHER_P(PlacedOn, layerId, "") { return arg.layerId == static_cast<uint64_t>(layerId); }

auto drawnRecord(uint64_t layerId, float x, const IFrame* frame) {
    return AllOf(Field(&LayerFrameInfo::firstId, 0u), Field(&LayerFrameInfo::secondId, 0u),
                 Field(&LayerFrameInfo::layerId, layerId), Field(&LayerFrameInfo::fourthId, 0u),
                 Field(&LayerFrameInfo::isStatic, 0), Field(&LayerFrameInfo::noNewFrame, 0),
                 Field(&LayerFrameInfo::frame, frame), Field(&LayerFrameInfo::x, x), Field(&LayerFrameInfo::y, 5.f),
                 Field(&LayerFrameInfo::width, 640.f), Field(&LayerFrameInfo::height, 360.f),
                 Field(&LayerFrameInfo::layerNumber, 4u), Field(&LayerFrameInfo::fps, 0u),
                 Field(&LayerFrameInfo::scaleKey, "key"), Field(&LayerFrameInfo::syncValue, 9u),
                 Field(&LayerFrameInfo::syncTag, 6u));
}

auto tapOf(uint64_t layerId) {
    return AllOf(Field(&MediaInfo::firstId, 0u), Field(&MediaInfo::secondId, 0u), Field(&MediaInfo::mediaId, layerId),
                 Field(&MediaInfo::reserved, 0u), Field(&MediaInfo::layerNumber, 4u), Field(&MediaInfo::kind, 14u),
                 Field(&MediaInfo::active, true));
}

auto sized(int32_t width, int32_t height) {
    return AllOf(Property(&IFrame::getWidth, width), Property(&IFrame::getHeight, height));
}

void attachScaled(LayerFrameInfo&, IFrame* target, uint32_t width, uint32_t height, const std::string&, bool) {
    target->attachPicture(
        std::make_shared<STAVFrame>(STAVFrame{static_cast<int32_t>(width), static_cast<int32_t>(height), {}}));
}

// Each host call moves the host clock by its own prime, so that every figure of the
// statistics line shows which stages it sums.
auto takes(uint64_t ms) {
    return [ms] { zqcutils::control::advanceTimeMs(ms); };
}

TEST(FrameRoad, PlayersLayersMasterTimeTapsDrawTexturesReleaseAndEndInThatOrder) {
    LogCapture log;
    ManualClocks clocks{1000};
    auto facade = std::make_shared<NiceMock<MockRenderFacade>>();
    auto layoutMgr = std::make_shared<NiceMock<MockLayoutMgr>>();
    auto dispatchMgr = std::make_shared<NiceMock<MockMediaDispatchMgr>>();
    NiceMock<MockMediaMgr> mediaMgr;
    NiceMock<MockRuntime> runtime;
    MockSenderMgr senderMgr;
    auto player = std::make_shared<NiceMock<MockPlayer>>();
    ON_CALL(*player, getMeta()).WillByDefault(Return(std::make_shared<NiceMock<MockMeta>>()));
    auto thumbnail = std::make_shared<NiceMock<MockMeta>>();
    ON_CALL(*thumbnail, getId()).WillByDefault(Return("m9"));
    ::testing::MockFunction<void(const MediaInfo&, const IFrame*)> tap;

    IFrame frame;
    frame.attachPicture(std::make_shared<STAVFrame>(STAVFrame{1920, 1080, {}}));
    frame.setTime(12.5);
    auto thumbFrame = std::make_shared<IFrame>();
    tarsel::InputSourceItem item;
    item.sharedPlayer = player;
    item.placements = {{11, 0.f, 5.f, 640.f, 360.f}, {12, 640.f, 5.f, 640.f, 360.f}};
    item.layerNumber = 4;
    item.scaleKey = "key";
    item.tapEnabled = true;
    item.syncTag = 6;
    tarsel::InputSourceItem still{.thumbnailMeta = thumbnail, .placements = {{13, 0.f, 0.f, 8.f, 8.f}}};

    RenderCtrl ctrl;
    ctrl.setCardName(kCard);
    ctrl.setRenderFacade(facade);
    ctrl.setOutPutLayoutMgr(layoutMgr);
    ctrl.setMediaDispatchMgr(dispatchMgr);
    ctrl.setMediaMgr(&mediaMgr);
    ctrl.setZQRuntime(&runtime);
    ctrl.setSenderMgr(&senderMgr);
    ctrl.setFrameDataCallBack(tap.AsStdFunction());
    ctrl.updateGetFrameTime(2.5);
    ctrl.setFrameSyncFlag(true);
    ctrl.setFrameSyncCheckLayerIndex(1);
    {
        InSequence road;
        EXPECT_CALL(*layoutMgr, getOutputLayerSizes(_, kCard, _, _));
        EXPECT_CALL(mediaMgr, getInputSources(_, kCard, true))
            .WillOnce(DoAll(SetArgReferee<0>(std::vector<tarsel::InputSourceItem>{item, still}), takes(2)));
        EXPECT_CALL(*player, getFrame(2.5)).WillOnce(Return(&frame));
        for (uint64_t layer : {11u, 12u}) {
            // Layer 11 is the frame sync check layer: the master follows its frame time.
            EXPECT_CALL(*dispatchMgr, getCheckLayerName(_, 1, layer, 4u))
                .WillOnce(SetArgReferee<0>(layer == 11 ? "check" : ""));
            if (layer == 11) EXPECT_CALL(mediaMgr, setMasterFrameTime("check", 12.5));
            EXPECT_CALL(*layoutMgr, updateLayerFrame(drawnRecord(layer, layer == 11 ? 0.f : 640.f, &frame)))
                .WillOnce(takes(3));
            EXPECT_CALL(*facade, scaleLayerFrame(PlacedOn(layer), _, 320u, 180u, "key", false))
                .WillOnce(DoAll(Invoke(attachScaled), takes(5)));
            EXPECT_CALL(tap, Call(tapOf(layer), sized(320, 180)));
        }
        EXPECT_CALL(*thumbnail, getOrgThumbFrame()).WillOnce(DoAll(takes(7), Return(thumbFrame)));
        EXPECT_CALL(*layoutMgr, updateLayerFrame(AllOf(PlacedOn(13), Field(&LayerFrameInfo::noNewFrame, 1),
                                                       Field(&LayerFrameInfo::frame, thumbFrame.get()))));
        EXPECT_CALL(*facade, render()).WillOnce(takes(11));
        EXPECT_CALL(*facade, getOutputTextures(kCard, _))
            .WillOnce(DoAll(SetArgReferee<1>(std::map<uint64_t, uint64_t>{{1, 0}, {2, 20}}), takes(13)));
        EXPECT_CALL(senderMgr, updateSenderTexture(2u, 20u));
        EXPECT_CALL(*thumbnail, destroyOrgThumbnail()).WillOnce(takes(17));
        EXPECT_CALL(*player, frameConsumed());
        EXPECT_CALL(*facade, endFrame()).WillOnce(takes(19));
    }
    ctrl.updateFrameData(9);
    // update 2+2*(3+5)+7, draw 11, textures 13, release 17, endFrame only in the total.
    EXPECT_TRUE(log.contains(renderctrl::log::Info,
                             "draw time:85 update:25 draw:11 updateOutput:13 release:17 getPlayersTime:2 "
                             "orgthumbnailTime:7 renderFrameTime:16 updateFrameDataTime:6 mediaDataScaleTime:10 "
                             "jumpScaleFrameCnt:0"));
    for (const char* edge : {"begin", "end"}) {
        const auto records = log.records();
        const std::string text = fmt::format("destroyOrgThumbnail RenderCtrl::updateFrameData {} meta.idm9", edge);
        const auto line =
            std::find_if(records.begin(), records.end(), [&](const auto& r) { return r.message == text; });
        ASSERT_NE(line, records.end()) << text;
        EXPECT_EQ(line->level, renderctrl::log::Warn);
        EXPECT_NE(line->line.find(":updateFrameData()#"), std::string::npos) << line->line;
    }
}

}  // namespace
}  // namespace qorva::mediadispatch
