// How the manager connects and disconnects a dispatch's signals, and the handlers
// that do more than relay one call.
#include <algorithm>
#include <functional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/log.h"
#include "mocks/hostmocks.h"
#include "renderctrlmgr/editingscene.h"

namespace qorva::mediadispatch::test {
namespace {

using renderctrl::log::Warn;
using ::testing::InvokeWithoutArgs;
using ::testing::NiceMock;
using ::testing::Ref;
using ::testing::Return;
using Counts = std::vector<size_t>;
using Ids = std::vector<uint64_t>;
constexpr auto kRemote = tarsel::EditingMode::Remote;
constexpr auto kTimeline = DispatchType::Timeline;

// The slot counts of a dispatch's 33 signals, in the order they are connected.
Counts slotCounts(IDispatch& d) {
    return {d.sigLayerAdded.slot_count(),
            d.sigLayerRemove.slot_count(),
            d.sigLayerAddedWithNumber.slot_count(),
            d.sigLayerNameChanged.slot_count(),
            d.sigMediasAdded.slot_count(),
            d.sigMediasReplaced.slot_count(),
            d.sigMediaAboutToBeRemoved.slot_count(),
            d.sigMediaVisibleChanged.slot_count(),
            d.sigMediaLayerChanged.slot_count(),
            d.sigMediaFadeToggled.slot_count(),
            d.sigMediaReleased.slot_count(),
            d.sigMediaForceUpdate.slot_count(),
            d.sigLayoutAdded.slot_count(),
            d.sigLayoutAboutToBeDeleted.slot_count(),
            d.sigLayoutKeepChanged.slot_count(),
            d.sigLayoutVisibleChanged.slot_count(),
            d.sigMediaColorPropertyChanged.slot_count(),
            d.sigMediaBorderPropertyChanged.slot_count(),
            d.sigMediaPickPropertyChanged.slot_count(),
            d.sigMediaEffectPropertyChanged.slot_count(),
            d.sigAllLayoutPropertySet.slot_count(),
            d.sigLayoutPropertyset.slot_count(),
            d.sigChangeLayoutName.slot_count(),
            d.sigCreateLayoutCopy.slot_count(),
            d.sigChangeLayoutLock.slot_count(),
            d.sigClearMediaOutput.slot_count(),
            d.sigSyncPreeditDatas.slot_count(),
            d.sigLayerSelected.slot_count(),
            d.sigResetLayoutKeep.slot_count(),
            d.sigLoadPreviewLayout.slot_count(),
            d.sigLayoutStartFade.slot_count(),
            d.sigLayoutStopFade.slot_count(),
            d.sigMediaPlayStateChanged.slot_count()};
}

// `leading` signals with `first` slots, the others with `rest`.
Counts split(size_t leading, size_t first, size_t rest) {
    Counts counts(33, rest);
    std::fill_n(counts.begin(), leading, first);
    return counts;
}

// Notes the slot counts of its signals whenever one of its callbacks is set.
class ProbeDispatch : public sim::SimPlainDispatch {
public:
    void setLayoutPropertyCallback(std::function<std::vector<LayoutAttribute>()> callback) override {
        seen.push_back(slotCounts(*this));
        SimPlainDispatch::setLayoutPropertyCallback(std::move(callback));
    }
    void setPatchSelectStatusCallback(std::function<bool()> callback) override {
        seen.push_back(slotCounts(*this));
        SimPlainDispatch::setPatchSelectStatusCallback(std::move(callback));
    }
    std::vector<Counts> seen;
};

class DispatchWiring : public EditingScene, public ::testing::Test {
protected:
    void TearDown() override { unwire(); }
};

TEST_F(DispatchWiring, CallbacksComeAndGoBetweenTheTwentySecondAndTwentyThirdSignal) {
    wire();
    auto probe = std::make_shared<ProbeDispatch>();
    host.dispatchMgr->addDispatch(probe);
    EXPECT_EQ(probe->seen, std::vector<Counts>(2, split(22, 1, 0)));
    EXPECT_TRUE(probe->layoutPropertyCallback() && probe->patchSelectStatusCallback());
    host.dispatchMgr->removeDispatch(probe);
    EXPECT_EQ(probe->seen.at(2), split(22, 0, 1));
    EXPECT_EQ(probe->seen.at(3), split(22, 0, 1));
    EXPECT_EQ(slotCounts(*probe), Counts(33, 0));
    EXPECT_FALSE(probe->layoutPropertyCallback() || probe->patchSelectStatusCallback());
    EXPECT_EQ(slotCounts(*dispatch), Counts(33, 1));  // the other dispatch stays connected
    host.dispatchMgr->sigDispatchAdded(std::weak_ptr<IDispatch>());
    host.dispatchMgr->sigDispatchRemoved(std::weak_ptr<IDispatch>());
    EXPECT_EQ(log.size(), 0u);
}

TEST_F(DispatchWiring, TrackedSignalsAreDroppedWithTheManager) {
    wire();
    mgr.reset();
    EXPECT_EQ(slotCounts(*dispatch), split(7, 0, 1));
    auto& d = *dispatch;
    d.sigLayerAdded(Ids{1}, 7, "L", "x");
    d.sigLayerRemove(Ids{1}, Ids{7}, true);
    d.sigLayerAddedWithNumber(Ids{1}, 7, "L", 3);
    d.sigLayerNameChanged(7, "L");
    d.sigMediasAdded(std::vector<MediaInfo>(1));
    d.sigMediasReplaced(7, kRemote);
    d.sigMediaAboutToBeRemoved(7, 8, kRemote);
    EXPECT_EQ(allCalls(), Strings{});
    mgr = std::make_shared<RenderCtrlMgr>();
}

TEST_F(DispatchWiring, ASecondManagerSetDoublesEventsAndOneUnsetRemovesEveryConnection) {
    auto early = std::make_shared<ProbeDispatch>();  // there before the manager listens
    host.dispatchMgr->addDispatch(early);
    mgr->setMediaDispatchMgr(host.dispatchMgr);
    wire();
    EXPECT_EQ(slotCounts(*dispatch), Counts(33, 2));
    EXPECT_EQ(slotCounts(*early), Counts(33, 0));
    dispatch->sigLayoutKeepChanged(true);
    EXPECT_EQ(allCalls(), (Strings{"layout.setLayoutKeep(true)", "layout.setLayoutKeep(true)"}));

    mgr->unsetMediaDispatchMgr();
    EXPECT_EQ(slotCounts(*dispatch), Counts(33, 0));
    EXPECT_FALSE(dispatch->layoutPropertyCallback() || dispatch->patchSelectStatusCallback());
    EXPECT_EQ(early->seen.size(), 2u);  // withdrawn although never given
    EXPECT_EQ(host.dispatchMgr->sigDispatchAdded.slot_count(), 0u);
}

TEST_F(DispatchWiring, BothFixedLayoutsAreMadeAgainWhenEitherIsMissing) {
    wire();
    dispatch->sigLayoutAdded(kTimeline, 10, "A");
    host.layoutMgr->calls().clear();
    dispatch->sigLayoutAdded(kTimeline, 11, "B");
    EXPECT_EQ(host.layoutMgr->calls().count("addLayout"), 1u);
    dispatch->sigLayoutAboutToBeDeleted(DispatchType::Unknown, 2);
    host.layoutMgr->calls().clear();
    dispatch->sigLayoutAdded(kTimeline, 12, "C");
    EXPECT_EQ(allCalls(),
              (Strings{"layout.addLayout(12,C,-1,3)", "layout.findLayout(1,0)", "layout.findLayout(2,0)",
                       "layout.addLayout(1,fixedFrontLayout,-1,0)", "layout.addLayout(2,fixedBackLayout,-1,0)"}));
}

TEST_F(DispatchWiring, EventsThatCallNothing) {
    wire();
    dispatch->sigLayerRemove(Ids{1}, Ids{}, true);
    host.runtime.setClientMode(false);
    dispatch->sigMediaFadeToggled(STDispatchMediaFadeInfo{true, {9, 250}});
    host.runtime.setServerMode(true);
    dispatch->sigLayerSelected(1, 2);
    mgr->unsetZQRuntime();
    dispatch->sigMediaFadeToggled(STDispatchMediaFadeInfo{true, {9, 250}});
    ::testing::StrictMock<qrc::test::MockRuntime> runtime;  // a fade flag that is off asks nothing
    mgr->setZQRuntime(&runtime);
    dispatch->sigMediaFadeToggled(STDispatchMediaFadeInfo{false, {9, 250}});
    EXPECT_EQ(allCalls(), Strings{});
    EXPECT_EQ(log.size(), 0u);
    mgr->unsetZQRuntime();
}

TEST_F(DispatchWiring, LayerSelectionWithoutARuntimeIsReported) {
    wire();
    mgr->unsetZQRuntime();
    dispatch->sigLayerSelected(1, 2);
    EXPECT_EQ(allCalls(), Strings{});
    ASSERT_EQ(log.records().size(), 1u);
    EXPECT_EQ(log.records()[0].level, Warn);
    EXPECT_THAT(log.records()[0].line,
                ::testing::StartsWith("_zqRuntime is null \n //dispatchevents.cpp:onLayerSelected()#"));
}

TEST_F(DispatchWiring, PatchEventsReachOnlyTheFirstLiveTimelineDispatch) {
    auto dispatchMgr = std::make_shared<NiceMock<qrc::test::MockMediaDispatchMgr>>();
    auto gone = std::make_shared<sim::SimTimelineDispatch>();
    const std::weak_ptr<IDispatch> expired = gone;
    gone.reset();
    auto plain = std::make_shared<sim::SimPlainDispatch>();
    auto second = std::make_shared<sim::SimTimelineDispatch>();
    ON_CALL(*dispatchMgr, getDispatches())
        .WillByDefault(Return(std::vector<std::weak_ptr<IDispatch>>{expired, plain, dispatch, second}));
    mgr->setMediaDispatchMgr(dispatchMgr);
    mgr->setOutPutLayoutMgr(host.layoutMgr);
    auto& view = *host.layoutMgr->renderView();
    view.sigDeleteSelectedOutputPatch(Ids{4});
    bool result = false;
    view.sigIsSelectedOutputPatchHasMedia(Ids{4}, result);
    EXPECT_TRUE(result);
    EXPECT_EQ(dispatch->calls().calls(),
              (Strings{"deleteSelectedOutputPatch([4])", "isSelectedOutputPatchHasMedia([4])"}));
    EXPECT_EQ(second->calls().size(), 0u);

    ON_CALL(*dispatchMgr, getDispatches()).WillByDefault(Return(std::vector<std::weak_ptr<IDispatch>>{plain}));
    for (const bool given : {false, true}) {
        result = given;
        view.sigIsSelectedOutputPatchHasMedia(Ids{4}, result);
        EXPECT_EQ(result, given);
    }
    EXPECT_EQ(log.size(), 0u);
}

// Records and fade descriptions reach the layout manager as the very objects emitted;
// the visibility lines are logged before the call, the layer line after it.
TEST_F(DispatchWiring, ArgumentsPassThroughAndLinesComeInTheirPlace) {
    auto layout = std::make_shared<NiceMock<qrc::test::MockLayoutMgr>>();
    host.runtime.setClientMode(true);
    mgr->setZQRuntime(&host.runtime);
    mgr->setOutPutLayoutMgr(layout);
    mgr->setMediaDispatchMgr(host.dispatchMgr);
    host.dispatchMgr->addDispatch(dispatch);
    const std::vector<std::pair<uint64_t, tarsel::ColorProperty>> colors = {{2, {}}};
    const tarsel::EditingMode mode = kRemote;
    const STDispatchMediaFadeInfo fade{true, {9, 250}};
    const STMediaPlayStateInfo play{3, 2};
    EXPECT_CALL(*layout, setMediaColorProperty(Ref(colors), Ref(mode)));
    EXPECT_CALL(*layout, toggleMediaFade(Ref(fade.info)));
    EXPECT_CALL(*layout, setMediaPlayState(Ref(play), 2));
    EXPECT_CALL(*layout, loadLayout(10, kTimeline, kRemote)).WillOnce(InvokeWithoutArgs([&] {
        EXPECT_EQ(log.size(), 1u);
    }));
    EXPECT_CALL(*layout, setLayerSource(1, 2, 3, kRemote, -5)).WillOnce(InvokeWithoutArgs([&] {
        EXPECT_EQ(log.size(), 1u);
    }));
    EXPECT_CALL(*layout, setMediaLayerId(4, 5, kRemote)).WillOnce(InvokeWithoutArgs([&] {
        EXPECT_EQ(log.size(), 0u);
    }));
    dispatch->sigMediaColorPropertyChanged(1, colors, mode);
    dispatch->sigMediaFadeToggled(fade);
    dispatch->sigMediaPlayStateChanged(play);
    for (const auto& emit :
         std::vector<std::function<void()>>{[&] { dispatch->sigLayoutVisibleChanged(kTimeline, 10, true, kRemote); },
                                            [&] { dispatch->sigMediaVisibleChanged(1, 2, 3, true, kRemote, -5); },
                                            [&] { dispatch->sigMediaLayerChanged(4, 5, kRemote); }}) {
        log.clear();
        emit();
        EXPECT_EQ(log.size(), 1u);
    }
}

}  // namespace
}  // namespace qorva::mediadispatch::test
