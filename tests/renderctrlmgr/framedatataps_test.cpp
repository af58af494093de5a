// The frame data tap and its settings, thumbnails and media visibility.
#include <gmock/gmock.h>

#include "common/log.h"
#include "mocks/hostmocks.h"
#include "qorvarenderctrl/renderctrlmgr.h"
#include "qorvasim/host.h"
#include "support/managerfixture.h"

namespace qorva::mediadispatch {
namespace {

using namespace qrc::test;
using renderctrl::log::Err;
using renderctrl::log::Info;
using ::testing::_;
using ::testing::AllOf;
using ::testing::Field;
using ::testing::InSequence;
using ::testing::NiceMock;
using ::testing::Return;
using zq::mediacore::IFrame;

std::vector<std::string> released;

struct TrackedFrame : IFrame {
    ~TrackedFrame() override { released.push_back("frame"); }
};
struct TrackedMeta : NiceMock<MockMeta> {
    ~TrackedMeta() override { released.push_back("meta"); }
};
struct TrackedLayoutMgr : NiceMock<MockLayoutMgr> {
    ~TrackedLayoutMgr() override { released.push_back("layoutMgr"); }
};

auto thumbnailRecord(const IFrame* frame) {
    return AllOf(Field(&LayerFrameInfo::firstId, 0u), Field(&LayerFrameInfo::secondId, 22u),
                 Field(&LayerFrameInfo::layerId, 11u), Field(&LayerFrameInfo::fourthId, 0u),
                 Field(&LayerFrameInfo::isStatic, 0), Field(&LayerFrameInfo::noNewFrame, 0),
                 Field(&LayerFrameInfo::frame, frame), Field(&LayerFrameInfo::x, 0.f), Field(&LayerFrameInfo::y, 0.f),
                 Field(&LayerFrameInfo::width, 1920.f), Field(&LayerFrameInfo::height, 1080.f),
                 Field(&LayerFrameInfo::layerNumber, 4096u), Field(&LayerFrameInfo::fps, 0u),
                 Field(&LayerFrameInfo::scaleKey, ""), Field(&LayerFrameInfo::syncValue, 0u),
                 Field(&LayerFrameInfo::syncTag, 0u));
}

class Thumbnails : public ::testing::Test {
protected:
    LogCapture log;
    std::shared_ptr<TrackedLayoutMgr> layoutMgr = std::make_shared<TrackedLayoutMgr>();
    std::shared_ptr<TrackedMeta> meta = std::make_shared<TrackedMeta>();
    std::shared_ptr<RenderCtrlMgr> mgr = std::make_shared<RenderCtrlMgr>();
};

// The host lets go of all three during the call: the manager releases them last,
// frame first.
TEST_F(Thumbnails, ShowTheOriginalFrameAtTheOriginThenDestroyItAndReleaseInOrder) {
    std::shared_ptr<IFrame> frame = std::make_shared<TrackedFrame>();
    const IFrame* raw = frame.get();
    EXPECT_CALL(*meta, getOrgThumbFrame()).WillOnce([&] { return std::exchange(frame, nullptr); });
    {
        InSequence order;
        EXPECT_CALL(*layoutMgr, updateLayerFrame(thumbnailRecord(raw))).WillOnce([&](const LayerFrameInfo&) {
            layoutMgr.reset();
            meta.reset();
        });
        EXPECT_CALL(*meta, destroyOrgThumbnail());
    }
    mgr->setOutPutLayoutMgr(layoutMgr);
    released.clear();
    mgr->showOrgThumbnail(11, 22, meta);
    EXPECT_EQ(released, (std::vector<std::string>{"frame", "meta", "layoutMgr"}));
    EXPECT_EQ(log.size(), 0u);
}

TEST_F(Thumbnails, WithoutLayoutManagerMetaOrFrameNothingIsShown) {
    EXPECT_CALL(*layoutMgr, updateLayerFrame(_)).Times(0);
    EXPECT_CALL(*meta, destroyOrgThumbnail()).Times(0);
    mgr->showOrgThumbnail(11, 22, meta);
    mgr->setOutPutLayoutMgr(layoutMgr);
    mgr->showOrgThumbnail(11, 22, std::weak_ptr<zq::mediacore::IMeta>());
    EXPECT_CALL(*meta, getOrgThumbFrame()).WillOnce(Return(nullptr));
    mgr->showOrgThumbnail(11, 22, meta);
    EXPECT_EQ(log.messages(),
              (std::vector<std::string>{"layoutMgr is null.", "meta is null", "orgThumbFrame is null."}));
    const auto records = log.records();
    EXPECT_EQ(std::vector<int>({records[0].level, records[1].level, records[2].level}),
              std::vector<int>({Err, Err, Info}));
}

TEST_F(Thumbnails, MediaVisibilityIgnoresTheFirstId) {
    mgr->setMediaVisible(1, 5, true);
    EXPECT_TRUE(log.contains(Err, "layoutMgr is null."));
    EXPECT_CALL(*layoutMgr, setMediaVisible(5, true, 4096u)).Times(2);
    mgr->setOutPutLayoutMgr(layoutMgr);
    mgr->setMediaVisible(1, 5, true);
    mgr->setMediaVisible(2, 5, true);
}

struct SettingCase {
    void (*apply)(RenderCtrlMgr&);
    std::set<uint64_t> tappedLayers;
};

class TapSettings : public ManagerScene, public ::testing::WithParamInterface<SettingCase> {};

// A setting reaches the controllers there are and is kept for later ones; the tap
// itself reaches only the controllers there are. Each card shows one layer.
TEST_P(TapSettings, ReachTheControllersThereAreAndLaterOnes) {
    mgr->setMediaMgr(&host.mediaMgr);
    mgr->setMediaDispatchMgr(host.dispatchMgr);
    mgr->setOutPutLayoutMgr(host.layoutMgr);
    mgr->setZQRuntime(&host.runtime);
    const auto addCard = [&](uint64_t layer) {
        const std::string text = fmt::format("#{}(Card)", layer);
        ManagerScene::addCard(text);
        host.addPlayer(text, {}, layer, 1);
        mgr->setRenderFacade(host.facade);
    };
    std::mutex tapsMutex;
    std::set<uint64_t> taps;
    addCard(1);
    GetParam().apply(*mgr);
    addCard(2);
    mgr->setFrameDataCallBack([&](const MediaInfo& info, const IFrame*) {
        std::lock_guard lock(tapsMutex);
        taps.insert(info.mediaId);
    });
    addCard(3);
    for (const auto& card : cards) pass(*card);  // one pass each with every service and the tap set
    for (const auto& card : cards) card->vblank().open();
    mgr->release();
    EXPECT_EQ(taps, GetParam().tappedLayers);
}

INSTANTIATE_TEST_SUITE_P(Settings, TapSettings,
                         ::testing::Values(SettingCase{[](RenderCtrlMgr&) {}, {1, 2}},
                                           SettingCase{[](RenderCtrlMgr& m) { m.setFrameDataSwitch(false); }, {}},
                                           SettingCase{[](RenderCtrlMgr& m) { m.setLinkState(true); }, {}}));

}  // namespace
}  // namespace qorva::mediadispatch
