// The manager's wiring: what each set and unset operation stores, forwards and
// connects, the controllers it creates per card, release and copies.
#include <gtest/gtest.h>

#include "common/log.h"
#include "mocks/hostmocks.h"
#include "qorvarenderctrl/renderctrlmgr.h"
#include "qorvasim/host.h"
#include "support/clocks.h"
#include "support/managerfixture.h"

namespace qorva::mediadispatch {
namespace {

using renderctrl::log::Info;
using renderctrl::log::Warn;
using ::testing::StrictMock;
using Strings = std::vector<std::string>;

class Manager : public qrc::test::ManagerScene {
protected:
    size_t layoutMgrSlots() const {
        auto& l = *host.layoutMgr;
        return l.sigLayerAdded.slot_count() + l.sigTakeCutTriggered.slot_count() + l.sigLayoutNameChanged.slot_count() +
               l.sigLayoutLockedChanged.slot_count() + l.sigNotifyMediaUpdateDisplayCards.slot_count();
    }
    size_t renderViewSlots() const {
        auto& v = *host.layoutMgr->renderView();
        return v.sigOutputAddMedias.slot_count() + v.sigOutputDelMedias.slot_count() +
               v.sigDeleteSelectedOutputPatch.slot_count() + v.sigIsSelectedOutputPatchHasMedia.slot_count();
    }

    qrc::test::ManualClocks clocks{1000};
};

TEST_F(Manager, UnsetBeforeSetLogsAndCallsNothingOnTheHost) {
    mgr->unsetMediaDispatchMgr();
    mgr->unsetOutPutLayoutMgr();
    EXPECT_EQ(log.records().size(), 2u);
    EXPECT_TRUE(log.contains(Info, "mediaDispatchMgr is null."));
    EXPECT_TRUE(log.contains(Warn, "layoutMgr is null"));
    EXPECT_EQ(host.layoutMgr->calls().size(), 0u);
}

TEST_F(Manager, LayoutManagerWiringConnectsRegistersAndUndoesInOrder) {
    mgr->setOutPutLayoutMgr(host.layoutMgr);
    EXPECT_EQ(layoutMgrSlots(), 5u);
    EXPECT_EQ(renderViewSlots(), 4u);
    EXPECT_EQ(host.layoutMgr->calls().calls(),
              (Strings{"setCurrentLayoutUsableLayerCallback(true)", "setLayerLockStateCallback(true)"}));
    EXPECT_EQ(host.layoutMgr->renderView()->calls().calls(),
              (Strings{"setCurrentLayoutUsableLayerCallback(true)", "setLayerLockStateCallback(true)",
                       "setRenderCtrlMgrCallBackCommon(true)"}));

    mgr->unsetOutPutLayoutMgr();
    EXPECT_EQ(layoutMgrSlots(), 0u);
    EXPECT_EQ(renderViewSlots(), 0u);
    EXPECT_EQ(host.layoutMgr->calls().calls(),
              (Strings{"setCurrentLayoutUsableLayerCallback(true)", "setLayerLockStateCallback(true)",
                       "setCurrentLayoutUsableLayerCallback(false)", "setLayerLockStateCallback(false)"}));
    EXPECT_EQ(host.layoutMgr->renderView()->calls().calls(),
              (Strings{"setCurrentLayoutUsableLayerCallback(true)", "setLayerLockStateCallback(true)",
                       "setRenderCtrlMgrCallBackCommon(true)", "setCurrentLayoutUsableLayerCallback(false)",
                       "setLayerLockStateCallback(false)", "setRenderCtrlMgrCallBackCommon(false)"}));
    EXPECT_EQ(log.size(), 0u);
}

TEST_F(Manager, AMissingRenderViewIsSkippedSilently) {
    host.layoutMgr->setRenderView(nullptr);
    mgr->setOutPutLayoutMgr(host.layoutMgr);
    EXPECT_EQ(layoutMgrSlots(), 5u);
    mgr->unsetOutPutLayoutMgr();
    EXPECT_EQ(layoutMgrSlots(), 0u);
    EXPECT_EQ(log.size(), 0u);
}

TEST_F(Manager, AnExpiredLayoutManagerKeepsTheValidOneAndItsConnections) {
    addCard("#0(Card)");
    mgr->setRenderFacade(host.facade);
    mgr->setOutPutLayoutMgr(host.layoutMgr);
    auto gone = std::make_shared<sim::SimLayoutMgr>();
    std::weak_ptr<qorva::mediaoutput::IMediaOutputLayoutMgr> expired = gone;
    gone.reset();
    log.clear();
    mgr->setOutPutLayoutMgr(expired);
    // the controller is told first and logs too
    EXPECT_EQ(log.count(Warn, "layoutMgr is null"), 2u);
    EXPECT_EQ(layoutMgrSlots(), 5u);
    mgr->unsetOutPutLayoutMgr();
    EXPECT_EQ(layoutMgrSlots(), 0u);
}

TEST_F(Manager, AnEmptyDispatchManagerIsStoredButNotConnected) {
    mgr->setMediaDispatchMgr({});
    EXPECT_EQ(log.messages(), Strings{"shareDispatchMgr is null"});
    EXPECT_EQ(log.records().at(0).level, Warn);
    mgr->unsetMediaDispatchMgr();
    EXPECT_TRUE(log.contains(Info, "mediaDispatchMgr is null."));
}

TEST_F(Manager, MediaManagerConnectionsAreTrackedOnTheManager) {
    mgr->setMediaMgr(&host.mediaMgr);
    EXPECT_EQ(host.mediaMgr.sigMediaDisplayCardsChanged.slot_count(), 1u);
    EXPECT_EQ(host.mediaMgr.sigFrameTimeChanged.slot_count(), 1u);
    mgr.reset();  // the manager goes without unwiring: its slots are never called
    host.mediaMgr.sigMediaDisplayCardsChanged(9, Strings{"#0"}, tarsel::EditingMode::Local);
    host.mediaMgr.sigFrameTimeChanged(2.5);
    EXPECT_EQ(host.mediaMgr.sigMediaDisplayCardsChanged.slot_count(), 0u) << "and dropped by the emissions";
    EXPECT_EQ(host.mediaMgr.sigFrameTimeChanged.slot_count(), 0u);
}

TEST_F(Manager, UnsetMediaManagerDisconnectsThenDetaches) {
    mgr->setMediaMgr(&host.mediaMgr);
    mgr->unsetMediaMgr();
    EXPECT_EQ(host.mediaMgr.sigFrameTimeChanged.slot_count(), 0u);
    EXPECT_EQ(host.mediaMgr.calls().calls(), Strings{"mediaMgrDetached()"});
}

TEST_F(Manager, EveryCardGetsAControllerWithARunningThread) {
    for (const char* text : {"#0(Intel UHD 770)", "#1(AMD Radeon)", "#2(Matrox)"}) addCard(text);
    mgr->setRenderFacade(host.facade);
    for (const auto& card : cards) ASSERT_TRUE(card->vblank().awaitWait(1));
    EXPECT_EQ(log.count(Info, "Render Ctrl Thread started."), 3u);
    for (const auto& card : cards) card->vblank().open();
    mgr->release();
    EXPECT_EQ(log.count(Info, "Render Ctrl Thread stoped."), 3u);
    const size_t lines = log.size();
    mgr->release();
    EXPECT_EQ(log.size(), lines);
}

TEST_F(Manager, ACardTextAlreadyPresentKeepsItsOneController) {
    auto first = addCard("#0(Same)");
    auto twin = addCard("#0(Same)");
    mgr->setRenderFacade(host.facade);
    mgr->setRenderFacade(host.facade);  // a second listing adds nothing either
    ASSERT_TRUE(first->vblank().awaitWait(1));
    first->vblank().open();
    mgr->release();
    EXPECT_EQ(log.count(Info, "Render Ctrl Thread started."), 1u);
    EXPECT_EQ(twin->renders(), 0u);
}

class ServiceOrder : public Manager, public ::testing::WithParamInterface<bool> {};

// Services that are stored and forwarded reach the controllers whether the host
// hands them in before or after the facade.
TEST_P(ServiceOrder, StoredServicesReachTheControllers) {
    const bool beforeFacade = GetParam();
    auto card = addCard("#0(Card)");
    card->setOutputTextures({{1, 11}});
    mgr->setZQRuntime(&host.runtime);
    auto wire = [&] {
        mgr->setMediaMgr(&host.mediaMgr);
        mgr->setOutPutLayoutMgr(host.layoutMgr);
        mgr->setMediaDispatchMgr(host.dispatchMgr);
    };
    if (beforeFacade) wire();
    mgr->setRenderFacade(host.facade);
    if (!beforeFacade) wire();
    mgr->setSenderMgr(&host.senderMgr);
    pass(*card);
    EXPECT_GE(host.layoutMgr->layerSizeQueries("#0(Card)"), 1u);
    EXPECT_GE(host.senderMgr.updates(), 1u);
}

INSTANTIATE_TEST_SUITE_P(BeforeOrAfterTheFacade, ServiceOrder, ::testing::Bool());

TEST_F(Manager, TheRuntimeIsForwardedAndTakenBack) {
    addCard("#0(A)");
    addCard("#1(B)");
    mgr->setZQRuntime(&host.runtime);
    mgr->setRenderFacade(host.facade);
    EXPECT_EQ(host.runtime.handlerCount("OnEditConnected"), 2u);
    EXPECT_EQ(host.runtime.handlerCount("OnEditDisconnect"), 2u);
    mgr->unsetZQRuntime();
    EXPECT_EQ(host.runtime.handlerCount("OnEditConnected"), 0u);
    mgr->setZQRuntime(&host.runtime);  // after the facade too
    EXPECT_EQ(host.runtime.handlerCount("OnEditConnected"), 2u);
    mgr->unsetZQRuntime();
}

TEST_F(Manager, AReplacedRuntimeTakesTheFrameTimeTimerAlong) {
    sim::SimRuntime other;
    mgr->setZQRuntime(&host.runtime);
    mgr->startFrameSyncTimer();
    mgr->setZQRuntime(&other);
    EXPECT_EQ(host.runtime.activeTimers(), 0u);
    EXPECT_EQ(other.activeTimers(), 1u);
    mgr->unsetZQRuntime();
    EXPECT_EQ(other.activeTimers(), 0u);
}

struct TimerTaskCase {
    bool serverMode;
    int localCheck;
    bool posted;
};

class TimerTask : public Manager, public ::testing::WithParamInterface<TimerTaskCase> {};

TEST_P(TimerTask, IsPostedOnlyOnAServerWithLocalCheck) {
    host.runtime.setServerMode(GetParam().serverMode);
    mgr->setZQRuntime(&host.runtime);
    mgr->setFrameSyncLocalCheck(GetParam().localCheck);
    mgr->setRenderFacade(host.facade);
    ASSERT_TRUE(host.runtime.settle());
    const Strings calls = host.runtime.calls().calls();
    const bool posted = std::any_of(calls.begin(), calls.end(), [](const std::string& c) {
        return c.rfind("postTask(setRenderFacade,", 0) == 0 && c.find("wiring.cpp,") != std::string::npos;
    });
    EXPECT_EQ(posted, GetParam().posted);
}

INSTANTIATE_TEST_SUITE_P(Modes, TimerTask,
                         ::testing::Values(TimerTaskCase{true, 1, true}, TimerTaskCase{true, 0, false},
                                           TimerTaskCase{false, 1, false}));

TEST_F(Manager, CopiesShareOneImplementation) {
    RenderCtrlMgr copy(*mgr);
    copy.setOutPutLayoutMgr(host.layoutMgr);
    EXPECT_EQ(layoutMgrSlots(), 5u);
    mgr->unsetOutPutLayoutMgr();
    EXPECT_EQ(layoutMgrSlots(), 0u);
    RenderCtrlMgr assigned;
    assigned = copy;
    assigned.setMediaDispatchMgr(host.dispatchMgr);
    mgr->unsetMediaDispatchMgr();
    EXPECT_EQ(host.dispatchMgr->sigDispatchAdded.slot_count(), 0u);
    EXPECT_EQ(copy.weak_from_this().lock(), nullptr);  // a copy's own shared part starts empty
}

TEST_F(Manager, DroppingTheManagerStopsEveryThread) {
    auto card = addCard("#0(A)");
    mgr->setRenderFacade(host.facade);
    ASSERT_TRUE(card->vblank().awaitWait(1));
    card->vblank().open();
    mgr.reset();
    EXPECT_EQ(log.count(Info, "Render Ctrl Thread stoped."), 1u);
}

TEST_F(Manager, UnsetMediaDispatchManagerAsksForTheDispatchesOfALiveManager) {
    auto dispatchMgr = std::make_shared<StrictMock<qrc::test::MockMediaDispatchMgr>>();
    mgr->setMediaDispatchMgr(dispatchMgr);
    EXPECT_CALL(*dispatchMgr, getDispatches()).WillOnce(::testing::Return(std::vector<std::weak_ptr<IDispatch>>{}));
    mgr->unsetMediaDispatchMgr();
    EXPECT_EQ(dispatchMgr->sigDispatchAdded.slot_count(), 0u);
}

}  // namespace
}  // namespace qorva::mediadispatch
