// The frame sync library loaded from the working directory: its object, the cards it
// drives, its settings, link targets, master time and the frame time distribution.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "common/finishedthreads.h"
#include "common/log.h"
#include "qorvarenderctrl/renderctrlmgr.h"
#include "qorvasim/host.h"
#include "qorvasim/pausepoints.h"
#include "renderctrlmgr/framesyncrenderctx.h"
#include "renderctrlmgr/renderctrlmgr_impl.h"
#include "support/managerfixture.h"

namespace qorva::mediadispatch {
namespace {

using namespace std::chrono_literals;
using renderctrl::log::Err;
using renderctrl::log::Info;
using renderctrl::log::Warn;

class FrameSync : public qrc::test::ManagerScene {
protected:
    void createFrameSync() {
        mgr->setMediaMgr(&host.mediaMgr);
        mgr->createFrameSync();
        ASSERT_NE(host.mediaMgr.frameSync(), nullptr);
    }
};

TEST_F(FrameSync, IsCreatedWithTheLogCallbackAndVersionAndHandedToTheMediaManager) {
    ::testing::internal::CaptureStdout();
    createFrameSync();
    std::fflush(stdout);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    const int port = mgr->getNetPort();
    EXPECT_GT(port, 0);
    EXPECT_TRUE(log.contains(Info, fmt::format("[FrameSync] frame sync 1.0.5 created, port {}", port)));
    EXPECT_EQ(host.mediaMgr.calls().count("setFrameSync"), 1u);
}

TEST_F(FrameSync, ASecondCallMakesASecondObjectAndKeepsTheNewest) {
    createFrameSync();
    IFrameSync* first = host.mediaMgr.frameSync();
    mgr->createFrameSync();
    IFrameSync* second = host.mediaMgr.frameSync();
    EXPECT_NE(first, second);
    EXPECT_EQ(mgr->getNetPort(), second->getNetPort());
}

// The object a second createFrameSync replaced still drives the card registered with
// it: it is ended with the newest one, before the render contexts it calls go. The
// media manager is handed each object once and nothing else.
class ReplacedObject : public FrameSync, public ::testing::WithParamInterface<bool> {};

TEST_P(ReplacedObject, IsEndedWithTheNewestOne) {
    auto card = addCard("#0(NVIDIA RTX A4000)");
    createFrameSync();
    mgr->setRenderFacade(host.facade);
    ASSERT_TRUE(card->vblank().awaitWait(1));
    mgr->createFrameSync();
    card->vblank().open();
    GetParam() ? mgr->release() : mgr.reset();
    EXPECT_EQ(log.count(Info, "[FrameSync] frame sync destroyed"), 2u);
    EXPECT_EQ(host.mediaMgr.calls().count("setFrameSync"), 2u);
}

INSTANTIATE_TEST_SUITE_P(ReleasedOrDropped, ReplacedObject, ::testing::Bool());

// The host drops its last reference to the manager, or releases it, from inside the
// tap of a card: on the frame sync library's thread for an NVIDIA card, on the card's
// own render thread otherwise. The timer stops at once; the frame sync object is
// ended once, after the tap, and its render contexts outlive it. Another manager
// dropped first in the same tap is ended too, and neither end waits for the other.
struct InsideTapCase {
    const char* name;
    const char* card;
    bool drop;        // else release()
    bool otherFirst;  // another manager with a frame sync object is dropped first
    uint64_t kept;    // threads kept by the drops
};

class FromInsideATap : public FrameSync, public ::testing::WithParamInterface<InsideTapCase> {};

TEST_P(FromInsideATap, TheFrameSyncObjectIsEndedOnceAfterTheTap) {
    const std::string text = GetParam().card;
    host.runtime.useManualClock();
    auto card = addCard(text);
    host.addPlayer(text, {}, 1, 1);
    createFrameSync();
    mgr->setMediaDispatchMgr(host.dispatchMgr);
    mgr->setOutPutLayoutMgr(host.layoutMgr);
    mgr->setZQRuntime(&host.runtime);
    mgr->setFrameSyncLocalCheck(1);
    mgr->setRenderFacade(host.facade);
    ASSERT_TRUE(host.runtime.settle());
    ASSERT_EQ(host.runtime.activeTimers(), 1u);
    ASSERT_TRUE(card->vblank().awaitWait(1));
    std::shared_ptr<RenderCtrlMgr> other;
    if (GetParam().otherFirst) {
        other = std::make_shared<RenderCtrlMgr>();
        other->setMediaMgr(&host.mediaMgr);
        other->createFrameSync();
    }
    std::promise<size_t> timersAfterTap;
    bool tapped = false;  // the tap's thread only
    std::shared_ptr<RenderCtrlMgr> held = mgr;
    mgr->setFrameDataCallBack([&](const MediaInfo&, const zq::mediacore::IFrame*) {
        other.reset();
        GetParam().drop ? held.reset() : held->release();  // a second release there does nothing more
        if (!std::exchange(tapped, true)) timersAfterTap.set_value(host.runtime.activeTimers());
    });
    const uint64_t kept = renderctrl::keptThreadCount();
    if (GetParam().drop) mgr.reset();
    card->vblank().step();
    auto timers = timersAfterTap.get_future();
    ASSERT_EQ(timers.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(timers.get(), 0u);
    card->vblank().open();
    if (!GetParam().drop) mgr->release();  // finishes what the release in the tap left
    if (GetParam().kept > 0) {
        ASSERT_TRUE(renderctrl::joinKeptThreads(kept + GetParam().kept, 5s));
    }
    EXPECT_EQ(log.count(Info, "[FrameSync] frame sync destroyed"), GetParam().otherFirst ? 2u : 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Cards, FromInsideATap,
    ::testing::Values(InsideTapCase{"DroppedOnTheFrameSyncThread", "#0(NVIDIA RTX A4000)", true, false, 1},
                      InsideTapCase{"ReleasedOnTheFrameSyncThread", "#0(NVIDIA RTX A4000)", false, false, 0},
                      InsideTapCase{"TwoDroppedOnTheFrameSyncThread", "#0(NVIDIA RTX A4000)", true, true, 2},
                      InsideTapCase{"DroppedOnTheRenderThread", "#0(Card)", true, false, 1}),
    [](const auto& info) { return std::string(info.param.name); });

struct MissingServiceCase {
    bool mediaMgr;
    const char* message;
};

class MissingService : public FrameSync, public ::testing::WithParamInterface<MissingServiceCase> {};

TEST_P(MissingService, LeavesNoObjectAndLoadsNothing) {
    host.mediaMgr.setCodecCtx(nullptr);
    if (GetParam().mediaMgr) mgr->setMediaMgr(&host.mediaMgr);
    mgr->createFrameSync();
    EXPECT_EQ(log.messages(), std::vector<std::string>{GetParam().message});
    EXPECT_EQ(log.records().at(0).level, Warn);
    EXPECT_EQ(host.mediaMgr.frameSync(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Checks, MissingService,
                         ::testing::Values(MissingServiceCase{false, "_mediaMgr is null"},
                                           MissingServiceCase{true, "frameSyncCodexCtx is null"}));

struct LogLevelCase {
    int level;
    int logged;  // -1: nothing logged
};

class LogCallback : public FrameSync, public ::testing::WithParamInterface<LogLevelCase> {};

TEST_P(LogCallback, MapsTheLibrarysLevels) {
    FSLogCallbackFunc(GetParam().level, "link up %d");
    if (GetParam().logged < 0) {
        EXPECT_EQ(log.size(), 0u);
        return;
    }
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log.records()[0].level, GetParam().logged);
    EXPECT_EQ(log.records()[0].message, "[FrameSync] link up %d");  // the text is data, not a format
    EXPECT_NE(log.records()[0].line.find("//framesync.cpp:FSLogCallbackFunc()#"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Levels, LogCallback,
                         ::testing::Values(LogLevelCase{0, -1}, LogLevelCase{1, Info}, LogLevelCase{2, Warn},
                                           LogLevelCase{3, Err}, LogLevelCase{5, -1}, LogLevelCase{-1, -1}));

TEST_F(FrameSync, LongLibraryTextsAreNotCut) {
    const std::string text(5000, 'x');
    FSLogCallbackFunc(1, text.c_str());
    EXPECT_EQ(log.messages().at(0), "[FrameSync] " + text);
}

// NVIDIA cards without "T400" are driven by the frame sync library; the others, and
// a lower-case "nvidia", by their own render threads.
TEST_F(FrameSync, DrivesTheNvidiaCardsAndNamesTheFirstTheMaster) {
    auto a4000 = addCard("#3(NVIDIA RTX A4000)");
    auto t400 = addCard("#1(NVIDIA T400)");
    auto p2200 = addCard("#5(NVIDIA Quadro P2200)");
    auto lower = addCard("#7(nvidia small)");
    createFrameSync();
    mgr->setFrameSyncMode(2);
    mgr->setRenderFacade(host.facade);
    // A frame sync cycle draws both cards and waits for the master's blank only; the
    // first cycle may start before the second card is registered.
    ASSERT_TRUE(a4000->vblank().awaitWait(1));
    for (uint64_t cycle = 2; cycle < 100 && p2200->renders() == 0; ++cycle) {
        a4000->vblank().step();
        a4000->vblank().awaitWait(cycle, 50ms);
    }
    const uint64_t masterWaits = a4000->vblank().waits();
    a4000->vblank().step();  // the next cycle starts with no other card's blank to wait for
    EXPECT_TRUE(a4000->vblank().awaitWait(masterWaits + 1, 1s));
    EXPECT_GT(p2200->renders(), 0u);
    EXPECT_EQ(p2200->vblank().waits(), 0u);
    for (const auto& card : {t400, lower}) ASSERT_TRUE(card->vblank().awaitWait(1)) << card->cardText();
    const std::vector<std::string> expected = {"[FrameSync] render context 3 (NVIDIA RTX A4000) added",
                                               "[FrameSync] sync mode 2",
                                               "[FrameSync] render context 5 (NVIDIA Quadro P2200) added",
                                               "[FrameSync] sync mode 2", "[FrameSync] master card 3"};
    EXPECT_EQ(log.messagesStartingWith({"[FrameSync] render", "[FrameSync] sync", "[FrameSync] master"}), expected);
    EXPECT_EQ(log.count(Info, "Render Ctrl Thread started."), 2u);  // T400 and the lower-case card
}

// The registered card reports the master frame time of the check layer the dispatch
// manager names for the manager's check layer index.
TEST_F(FrameSync, TheFrameSyncCardReportsItsCheckLayersMasterTime) {
    auto card = addCard("#0(NVIDIA RTX A4000)");
    host.addPlayer("#0(NVIDIA RTX A4000)", {.name = "clip"}, 101, 1);
    host.dispatchMgr->setCheckLayerName(101, "layer-a");
    createFrameSync();
    mgr->setMediaDispatchMgr(host.dispatchMgr);
    mgr->setOutPutLayoutMgr(host.layoutMgr);
    mgr->setFrameSyncCheckLayerIndex(2);
    mgr->setRenderFacade(host.facade);
    mgr->setFrameSyncFlag(true);
    mgr->setFrameDataCallBack([](const MediaInfo&, const zq::mediacore::IFrame*) {});
    mgr->updateGetFrameTime(3.5);
    ASSERT_TRUE(card->vblank().awaitWait(1));
    auto reported = [&] {
        const auto calls = host.mediaMgr.calls().calls();
        return std::find(calls.begin(), calls.end(), "setMasterFrameTime(layer-a,3.5)") != calls.end();
    };
    for (int cycle = 0; cycle < 100 && !reported(); ++cycle) {
        card->vblank().step();
        card->vblank().awaitWait(static_cast<uint64_t>(cycle) + 2, 50ms);
    }
    EXPECT_TRUE(reported());
    EXPECT_GE(host.dispatchMgr->calls().count("getCheckLayerName(2,101,1)"), 1u);
}

TEST_F(FrameSync, ACardTextWithoutAParenthesisIsIndexZeroWithNoNameAndNoCardsStillNameMasterZero) {
    createFrameSync();
    mgr->setRenderFacade(host.facade);
    EXPECT_TRUE(log.contains(Info, "[FrameSync] master card 0"));
    addCard("NVIDIA GPU");
    mgr->setRenderFacade(host.facade);
    EXPECT_TRUE(log.contains(Info, "[FrameSync] render context 0 () added"));
}

TEST_F(FrameSync, ReleaseDestroysTheObject) {
    createFrameSync();
    mgr->release();
    EXPECT_TRUE(log.contains(Info, "[FrameSync] frame sync destroyed"));
    log.clear();
    EXPECT_EQ(mgr->getNetPort(), 0);
    EXPECT_EQ(log.messages(), std::vector<std::string>{"_impl->_frameSync is null."});
}

// Before createFrameSync (and after release) every link operation logs its line,
// then the missing object, and fails.
TEST_F(FrameSync, LinkOperationsWithoutAnObjectLogAndFail) {
    EXPECT_FALSE(mgr->linkTarget("10.0.0.2", 5000));
    EXPECT_FALSE(mgr->dislinkTarget("10.0.0.3", 5001));
    EXPECT_FALSE(mgr->keepMasterTime(true));
    EXPECT_EQ(mgr->getNetPort(), 0);
    EXPECT_EQ(log.messages(), (std::vector<std::string>{"Link linkTarget ip:10.0.0.2", "_impl->_frameSync is null.",
                                                        "Link dislinkTarget ip:10.0.0.3", "_impl->_frameSync is null.",
                                                        "Link keepMasterTime isClear:true",
                                                        "_impl->_frameSync is null.", "_impl->_frameSync is null."}));
    for (const auto& r : log.records()) EXPECT_EQ(r.level, Info);
}

TEST_F(FrameSync, LinkOperationsReachTheObject) {
    createFrameSync();
    EXPECT_TRUE(mgr->linkTarget("10.0.0.2", 5000));
    EXPECT_TRUE(mgr->dislinkTarget("10.0.0.2", 5000));
    EXPECT_FALSE(mgr->dislinkTarget("10.0.0.9", 1));  // never linked
    EXPECT_TRUE(mgr->keepMasterTime(false));
    EXPECT_TRUE(log.contains(Info, "Link keepMasterTime isClear:false"));
    EXPECT_TRUE(log.contains(Info, "[FrameSync] link target 10.0.0.2:5000"));
    EXPECT_TRUE(log.contains(Info, "[FrameSync] keep master time off"));
}

TEST_F(FrameSync, TheFlagReachesOnlyTheFrameSyncController) {
    mgr->setFrameSyncFlag(true);
    EXPECT_EQ(log.messages(), std::vector<std::string>{"_frameSyncRenderCtrl is null"});
    EXPECT_EQ(log.records()[0].level, Warn);
    addCard("#0(NVIDIA A)");
    createFrameSync();
    mgr->setRenderFacade(host.facade);
    log.clear();
    mgr->setFrameSyncFlag(true);
    // Only this line: the frame sync thread's passes may log their own meanwhile.
    EXPECT_EQ(log.count(Warn, "_frameSyncRenderCtrl is null"), 0u);
}

TEST_F(FrameSync, ARenderContextWhoseControllerIsGoneOnlyWarns) {
    auto controller = std::make_shared<RenderCtrl>();
    FrameSyncRenderCtx context(controller);
    controller.reset();
    context.renderScene(7);
    context.waitForVBlank();
    EXPECT_EQ(log.count(Warn, "sharedRenderCtrl is null."), 2u);
}

TEST_F(FrameSync, RenderSceneRunsOnePassWithItsValue) {
    auto card = addCard("#0(Card)");
    host.addPlayer("#0(Card)", {.name = "clip"}, 101, 1);
    auto controller = std::make_shared<RenderCtrl>();
    controller->setCardName("#0(Card)");
    controller->setRenderFacade(card);
    controller->setOutPutLayoutMgr(host.layoutMgr);
    controller->setMediaMgr(&host.mediaMgr);
    controller->setMediaDispatchMgr(host.dispatchMgr);
    FrameSyncRenderCtx context(controller);
    context.renderScene(7);
    EXPECT_EQ(card->renders(), 1u);
    EXPECT_EQ(host.layoutMgr->lastSyncValue(101), 7u);
}

class FrameSyncTimer : public FrameSync {
protected:
    void SetUp() override {
        host.runtime.useManualClock();
        for (const char* text : {"#2(C)", "#0(A)", "#1(B)"}) addCard(text);
        mgr->setZQRuntime(&host.runtime);
        mgr->setFrameSyncLocalCheck(1);
        mgr->setRenderFacade(host.facade);
        ASSERT_TRUE(host.runtime.settle());
    }
    std::vector<std::string> timerLines() const {
        std::vector<std::string> lines;
        for (const auto& r : log.records())
            if (r.message.rfind("[framesync_mulcard]", 0) == 0) lines.push_back(r.line);
        return lines;
    }
};

TEST_F(FrameSyncTimer, LogsEveryCardsFrameTimesInKeyOrderEvery5000Ms) {
    ASSERT_TRUE(host.runtime.advance(4999ms));
    EXPECT_TRUE(timerLines().empty());
    ASSERT_TRUE(host.runtime.advance(1ms));
    const auto lines = timerLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(0, lines[0].find(" \n")), "[framesync_mulcard] #0(A) 0 0");
    EXPECT_EQ(lines[1].substr(0, lines[1].find(" \n")), "[framesync_mulcard] #1(B) 0 0");
    EXPECT_EQ(lines[2].substr(0, lines[2].find(" \n")), "[framesync_mulcard] #2(C) 0 0");
    EXPECT_NE(lines[0].find(":operator ()()#"), std::string::npos);
    ASSERT_TRUE(host.runtime.advance(5000ms));
    EXPECT_EQ(timerLines().size(), 6u);
}

// The host unsets the runtime while a task that setRenderFacade posted waits to run:
// the task finds no runtime, so no timer is left that nothing would stop.
TEST_F(FrameSyncTimer, ATaskThatRunsDuringUnsetZQRuntimeStartsNoTimer) {
    const auto ticking = sim::armPause("runTimer");
    host.runtime.advance(5000ms, 0ms);
    ASSERT_TRUE(ticking->awaitEntered());  // the runtime's thread is busy
    mgr->setRenderFacade(host.facade);     // and the task waits behind the tick
    const auto stopping = sim::armPause("stopTimer");
    std::jthread unsetting([&] { mgr->unsetZQRuntime(); });
    ASSERT_TRUE(stopping->awaitEntered());  // unsetZQRuntime stops the first timer
    ticking->release();
    ASSERT_TRUE(host.runtime.settle());
    stopping->release();
    unsetting.join();
    EXPECT_EQ(host.runtime.activeTimers(), 0u);
}

class TimerStop : public FrameSyncTimer, public ::testing::WithParamInterface<bool> {};

TEST_P(TimerStop, NeverTicksAfterReleaseOrOnAManagerThatIsGone) {
    for (const auto& card : cards) card->vblank().open();
    GetParam() ? mgr->release() : mgr.reset();
    EXPECT_EQ(host.runtime.activeTimers(), 0u);
    ASSERT_TRUE(host.runtime.advance(20000ms));
    EXPECT_TRUE(timerLines().empty());
}

INSTANTIATE_TEST_SUITE_P(ReleasedOrDropped, TimerStop, ::testing::Bool());

TEST_F(FrameSync, TheHostsFrameTimeReachesEveryControllersNextPass) {
    auto a = addCard("#0(A)");
    auto b = addCard("#1(B)");
    auto playerA = host.addPlayer("#0(A)", {.name = "a"}, 101, 1);
    auto playerB = host.addPlayer("#1(B)", {.name = "b"}, 201, 1);
    mgr->setMediaMgr(&host.mediaMgr);
    mgr->setOutPutLayoutMgr(host.layoutMgr);
    mgr->setRenderFacade(host.facade);
    for (const auto& card : cards) ASSERT_TRUE(card->vblank().awaitWait(1));
    host.mediaMgr.sigFrameTimeChanged(2.5);  // the media manager's signal
    for (const auto& card : cards) pass(*card);
    EXPECT_DOUBLE_EQ(playerA->lastClock(), 2.5);
    EXPECT_DOUBLE_EQ(playerB->lastClock(), 2.5);
    mgr->updateGetFrameTime(4.0);  // the interface operation
    for (const auto& card : cards) pass(*card);
    EXPECT_DOUBLE_EQ(playerA->lastClock(), 4.0);
}

}  // namespace
}  // namespace qorva::mediadispatch
