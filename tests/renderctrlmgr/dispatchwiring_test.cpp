// How the manager connects and disconnects a dispatch's signals, and the handlers
// that do more than relay one call.
#include <algorithm>
#include <functional>
#include <future>

#include <gmock/gmock.h>

#include "common/log.h"
#include "mocks/hostmocks.h"
#include "qorvarenderctrl/inputsourcerenderctrl.h"
#include "renderctrlmgr/editingscene.h"

namespace qorva::mediadispatch::test {
namespace {

using namespace std::chrono_literals;
using ::testing::InvokeWithoutArgs;
using ::testing::NiceMock;
using ::testing::Ref;
using ::testing::Return;
using Counts = std::vector<size_t>;
using Dispatches = std::vector<std::weak_ptr<IDispatch>>;
constexpr auto kRemote = tarsel::EditingMode::Remote;
constexpr auto kTimeline = DispatchType::Timeline;
const STDispatchMediaFadeInfo kFade{true, {9, 250}};

// The slot counts of a dispatch's 33 signals, in the order they are connected.
Counts slotCounts(IDispatch& d) {
    // clang-format off
    return {d.sigLayerAdded.slot_count(), d.sigLayerRemove.slot_count(), d.sigLayerAddedWithNumber.slot_count(),
            d.sigLayerNameChanged.slot_count(), d.sigMediasAdded.slot_count(), d.sigMediasReplaced.slot_count(),
            d.sigMediaAboutToBeRemoved.slot_count(), d.sigMediaVisibleChanged.slot_count(),
            d.sigMediaLayerChanged.slot_count(), d.sigMediaFadeToggled.slot_count(), d.sigMediaReleased.slot_count(),
            d.sigMediaForceUpdate.slot_count(), d.sigLayoutAdded.slot_count(), d.sigLayoutAboutToBeDeleted.slot_count(),
            d.sigLayoutKeepChanged.slot_count(), d.sigLayoutVisibleChanged.slot_count(),
            d.sigMediaColorPropertyChanged.slot_count(), d.sigMediaBorderPropertyChanged.slot_count(),
            d.sigMediaPickPropertyChanged.slot_count(), d.sigMediaEffectPropertyChanged.slot_count(),
            d.sigAllLayoutPropertySet.slot_count(), d.sigLayoutPropertyset.slot_count(),
            d.sigChangeLayoutName.slot_count(), d.sigCreateLayoutCopy.slot_count(), d.sigChangeLayoutLock.slot_count(),
            d.sigClearMediaOutput.slot_count(), d.sigSyncPreeditDatas.slot_count(), d.sigLayerSelected.slot_count(),
            d.sigResetLayoutKeep.slot_count(), d.sigLoadPreviewLayout.slot_count(), d.sigLayoutStartFade.slot_count(),
            d.sigLayoutStopFade.slot_count(), d.sigMediaPlayStateChanged.slot_count()};
    // clang-format on
}

// `leading` signals with `first` slots each, the others with `rest`.
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

class DispatchWiring : public EditingScene {};

TEST_F(DispatchWiring, CallbacksComeAndGoBetweenTheTwentySecondAndTwentyThirdSignal) {
    wire();
    auto probe = std::make_shared<ProbeDispatch>();
    host.dispatchMgr->addDispatch(probe);
    host.dispatchMgr->removeDispatch(probe);
    const Counts added = split(22, 1, 0), removing = split(22, 0, 1);
    EXPECT_EQ(probe->seen, (std::vector<Counts>{added, added, removing, removing}));
    EXPECT_FALSE(probe->layoutPropertyCallback() || probe->patchSelectStatusCallback());
    EXPECT_EQ(slotCounts(*probe), Counts(33, 0));
    EXPECT_EQ(slotCounts(d), Counts(33, 1));  // the other dispatch stays connected
    host.dispatchMgr->sigDispatchAdded(std::weak_ptr<IDispatch>());
    host.dispatchMgr->sigDispatchRemoved(std::weak_ptr<IDispatch>());
    EXPECT_EQ(log.size(), 0u);
}

TEST_F(DispatchWiring, TrackedSignalsAreDroppedWithTheManager) {
    wire();
    mgr.reset();
    d.sigLayerAdded(Ids{1}, 7, "L", "x");
    d.sigLayerRemove(Ids{1}, Ids{7}, true);
    d.sigLayerAddedWithNumber(Ids{1}, 7, "L", 3);
    d.sigLayerNameChanged(7, "L");
    d.sigMediasAdded(std::vector<MediaInfo>(1));
    d.sigMediasReplaced(7, kRemote);
    d.sigMediaAboutToBeRemoved(7, 8, kRemote);
    EXPECT_EQ(allCalls(), Strings{});
    EXPECT_EQ(slotCounts(d), split(7, 0, 1)) << "dropped by the emissions";
    host.dispatchMgr->sigDispatchAdded(std::weak_ptr<IDispatch>());
    host.dispatchMgr->sigDispatchRemoved(std::weak_ptr<IDispatch>());
    EXPECT_EQ(host.dispatchMgr->sigDispatchAdded.slot_count() + host.dispatchMgr->sigDispatchRemoved.slot_count(), 0u);
    mgr = std::make_shared<RenderCtrlMgr>();
}

TEST_F(DispatchWiring, ASecondManagerSetDoublesEventsAndOneUnsetRemovesEveryConnection) {
    auto early = std::make_shared<ProbeDispatch>();  // there before the manager listens
    host.dispatchMgr->addDispatch(early);
    mgr->setMediaDispatchMgr(host.dispatchMgr);
    wire();
    EXPECT_EQ(slotCounts(d), Counts(33, 2));
    EXPECT_EQ(slotCounts(*early), Counts(33, 0));
    d.sigLayoutKeepChanged(true);
    EXPECT_EQ(allCalls(), (Strings{"setLayoutKeep(true)", "setLayoutKeep(true)"}));
    mgr->unsetMediaDispatchMgr();
    EXPECT_EQ(slotCounts(d), Counts(33, 0));
    EXPECT_FALSE(d.layoutPropertyCallback() || d.patchSelectStatusCallback());
    EXPECT_EQ(early->seen.size(), 2u);  // withdrawn although never given
    EXPECT_EQ(host.dispatchMgr->sigDispatchAdded.slot_count(), 0u);
}

// A dispatch announced while the dispatch manager is unset on another thread ends
// unwired: whether its wiring is under way (parked inside it) or the emission has not
// reached the manager's handler yet (parked in a slot of the host before it).
class DispatchAddedDuringUnset : public EditingScene, public ::testing::WithParamInterface<const char*> {};

TEST_P(DispatchAddedDuringUnset, EndsWithNothingWired) {
    wire();
    sigslot::scoped_connection hostSlot;
    mgr->unsetMediaDispatchMgr();  // the host's slot goes before the manager's
    hostSlot =
        host.dispatchMgr->sigDispatchAdded.connect([](std::weak_ptr<IDispatch>) { sim::pausePoint("hostSlot"); });
    mgr->setMediaDispatchMgr(host.dispatchMgr);
    const auto parked = sim::armPause(GetParam());
    auto added = std::make_shared<sim::SimPlainDispatch>();
    auto announce = std::async(std::launch::async, [&] { host.dispatchMgr->addDispatch(added); });
    ASSERT_TRUE(parked->awaitEntered());
    auto unset = std::async(std::launch::async, [&] { mgr->unsetMediaDispatchMgr(); });
    unset.wait_for(100ms);  // lets an unset that does not wait for the wiring finish first
    parked->release();
    ASSERT_EQ(announce.wait_for(5s), std::future_status::ready);
    ASSERT_EQ(unset.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(slotCounts(*added), Counts(33, 0));
    EXPECT_FALSE(added->layoutPropertyCallback() || added->patchSelectStatusCallback());
}

INSTANTIATE_TEST_SUITE_P(Parked, DispatchAddedDuringUnset, ::testing::Values("setLayoutPropertyCallback", "hostSlot"));

// The input source controller's dispatch signals, announced while it is unset.
TEST_F(DispatchWiring, ADispatchAnnouncedWhileTheInputControllerIsUnsetEndsUnwired) {
    InputSourceRenderCtrl inputs;
    const sigslot::scoped_connection hostSlot =
        host.dispatchMgr->sigDispatchAdded.connect([](std::weak_ptr<IDispatch>) { sim::pausePoint("hostSlot"); });
    inputs.setMediaDispatchMgr(host.dispatchMgr);
    const auto parked = sim::armPause("hostSlot");
    auto added = std::make_shared<sim::SimPlainDispatch>();
    auto announce = std::async(std::launch::async, [&] { host.dispatchMgr->addDispatch(added); });
    ASSERT_TRUE(parked->awaitEntered());
    inputs.unsetMediaDispatchMgr();
    parked->release();
    ASSERT_EQ(announce.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(added->sigMediasAdded.slot_count() + added->sigMediaAboutToBeRemoved.slot_count(), 0u);
}

// A dispatch the dispatch manager does not list (yet) is unwired too.
TEST_F(DispatchWiring, AnUnlistedDispatchIsUnwiredByTheUnset) {
    wire();
    auto unlisted = std::make_shared<sim::SimPlainDispatch>();
    host.dispatchMgr->sigDispatchAdded(std::weak_ptr<IDispatch>(unlisted));
    EXPECT_EQ(slotCounts(*unlisted), Counts(33, 1));
    mgr->unsetMediaDispatchMgr();
    EXPECT_EQ(slotCounts(*unlisted), Counts(33, 0));
}

TEST_F(DispatchWiring, BothFixedLayoutsAreMadeAgainWhenEitherIsMissing) {
    wire();
    d.sigLayoutAdded(kTimeline, 10, "A");
    host.layoutMgr->calls().clear();
    d.sigLayoutAdded(kTimeline, 11, "B");
    EXPECT_EQ(host.layoutMgr->calls().count("addLayout"), 1u);
    d.sigLayoutAboutToBeDeleted(DispatchType::Unknown, 2);
    d.sigLayoutAdded(kTimeline, 12, "C");
    EXPECT_EQ(host.layoutMgr->calls().count("addLayout"), 4u);
    d.sigLayoutAboutToBeDeleted(DispatchType::Unknown, 1);
    d.sigLayoutAdded(kTimeline, 13, "D");
    EXPECT_EQ(host.layoutMgr->calls().count("addLayout"), 7u);
}

TEST_F(DispatchWiring, SkippedEvents) {
    wire();
    d.sigLayerRemove(Ids{1}, Ids{}, true);
    host.runtime.setClientMode(false);
    d.sigMediaFadeToggled(kFade);
    host.runtime.setServerMode(true);
    d.sigLayerSelected(1, 2);
    mgr->unsetZQRuntime();
    d.sigMediaFadeToggled(kFade);
    EXPECT_EQ(log.size(), 0u);
    d.sigLayerSelected(1, 2);
    EXPECT_THAT(log.records().at(0).line,
                ::testing::StartsWith("_zqRuntime is null \n //dispatchevents.cpp:onLayerSelected()#"));
    EXPECT_EQ(log.records().at(0).level, renderctrl::log::Warn);
    ::testing::StrictMock<qrc::test::MockRuntime> runtime;  // a fade flag that is off asks nothing
    mgr->setZQRuntime(&runtime);
    d.sigMediaFadeToggled(STDispatchMediaFadeInfo{false, kFade.info});
    mgr->unsetZQRuntime();
    EXPECT_EQ(allCalls(), Strings{});
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(DispatchWiring, PatchEventsReachOnlyTheFirstLiveTimelineDispatch) {
    auto dispatchMgr = std::make_shared<NiceMock<qrc::test::MockMediaDispatchMgr>>();
    const std::weak_ptr<IDispatch> expired = std::make_shared<sim::SimTimelineDispatch>();
    auto plain = std::make_shared<sim::SimPlainDispatch>();
    auto second = std::make_shared<sim::SimTimelineDispatch>();
    ON_CALL(*dispatchMgr, getDispatches()).WillByDefault(Return(Dispatches{expired, plain, dispatch, second}));
    mgr->setMediaDispatchMgr(dispatchMgr);
    mgr->setOutPutLayoutMgr(host.layoutMgr);
    auto& view = *host.layoutMgr->renderView();
    view.sigDeleteSelectedOutputPatch(Ids{4});
    bool result = false;
    view.sigIsSelectedOutputPatchHasMedia(Ids{4}, result);
    EXPECT_TRUE(result);
    EXPECT_EQ(d.calls().calls(), (Strings{"deleteSelectedOutputPatch([4])", "isSelectedOutputPatchHasMedia([4])"}));
    EXPECT_EQ(second->calls().size(), 0u);

    ON_CALL(*dispatchMgr, getDispatches()).WillByDefault(Return(Dispatches{plain}));
    for (const bool given : {false, true}) {
        result = given;
        view.sigIsSelectedOutputPatchHasMedia(Ids{4}, result);
        EXPECT_EQ(result, given);
    }
    EXPECT_EQ(log.size(), 0u);
}

// Records reach the layout manager as the very objects emitted; the visibility lines
// are logged before the call, the layer line after it.
TEST_F(DispatchWiring, ArgumentsPassThroughAndLinesComeInTheirPlace) {
    auto layout = std::make_shared<NiceMock<qrc::test::MockLayoutMgr>>();
    wire();
    mgr->setOutPutLayoutMgr(layout);
    const std::vector<std::pair<uint64_t, tarsel::ColorProperty>> colors = {{2, {}}};
    const tarsel::EditingMode mode = kRemote;
    const STMediaPlayStateInfo play{3, 2};
    EXPECT_CALL(*layout, setMediaColorProperty(Ref(colors), Ref(mode)));
    EXPECT_CALL(*layout, toggleMediaFade(Ref(kFade.info)));
    EXPECT_CALL(*layout, setMediaPlayState(Ref(play), 2));
    const auto logged = [&](size_t lines) { return InvokeWithoutArgs([&, lines] { EXPECT_EQ(log.size(), lines); }); };
    EXPECT_CALL(*layout, loadLayout(10, kTimeline, kRemote)).WillOnce(logged(1));
    EXPECT_CALL(*layout, setLayerSource(1, 2, 3, kRemote, -5)).WillOnce(logged(1));
    EXPECT_CALL(*layout, setMediaLayerId(4, 5, kRemote)).WillOnce(logged(0));
    d.sigMediaColorPropertyChanged(1, colors, mode);
    d.sigMediaFadeToggled(kFade);
    d.sigMediaPlayStateChanged(play);
    for (const auto& emit :
         std::vector<std::function<void()>>{[&] { d.sigLayoutVisibleChanged(kTimeline, 10, true, kRemote); },
                                            [&] { d.sigMediaVisibleChanged(1, 2, 3, true, kRemote, -5); },
                                            [&] { d.sigMediaLayerChanged(4, 5, kRemote); }}) {
        log.clear();
        emit();
        EXPECT_EQ(log.size(), 1u);
    }
}

}  // namespace
}  // namespace qorva::mediadispatch::test
