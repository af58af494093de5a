// Host code that throws or blocks on the library's threads: the exception is logged
// at the thread's edge and the loop goes on, paced as before, without holding up the
// other cards; frames taken by a failed pass go back to their players.
#include <atomic>
#include <stdexcept>

#include <gtest/gtest.h>

#include "common/log.h"
#include "inputsourcerenderctrl/inputfixture.h"
#include "qorvarenderctrl/renderctrlmgr.h"
#include "qorvasim/host.h"
#include "qorvasim/pausepoints.h"
#include "renderctrl/drawthread.h"
#include "renderctrl/renderctrl.h"
#include "renderctrlmgr/framesyncrenderctx.h"
#include "support/managerfixture.h"

namespace qorva::mediadispatch {
namespace {

using namespace std::chrono_literals;
using renderctrl::log::Err;
using test::lastSleepMs;
using zq::mediacore::IFrame;

constexpr const char* kFaultyCard = "#0(Card A)";
constexpr const char* kHealthyCard = "#1(Card B)";
constexpr uint64_t kFaultyLayer = 10;
constexpr uint64_t kHealthyLayer = 11;
constexpr int kBlanks = 5;

void renderBroke() { throw std::runtime_error("render broke"); }

// Two cards of one manager, each with a player and its own render thread, their
// vertical blanks stepped by the test. The frame data tap misbehaves on card A only.
class TwoCards : public qrc::test::ManagerScene {
protected:
    void SetUp() override {
        faultyPlayer = host.addPlayer(kFaultyCard, {.name = "a", .width = 32, .height = 18}, kFaultyLayer, 1);
        healthyPlayer = host.addPlayer(kHealthyCard, {.name = "b", .width = 32, .height = 18}, kHealthyLayer, 1);
    }
    void start() {
        mgr->setZQRuntime(&host.runtime);
        mgr->setMediaMgr(&host.mediaMgr);
        mgr->setOutPutLayoutMgr(host.layoutMgr);
        mgr->setMediaDispatchMgr(host.dispatchMgr);
        mgr->setRenderFacade(host.facade);
        mgr->setSenderMgr(&host.senderMgr);
        mgr->setFrameDataCallBack([this](const qorva::MediaInfo& info, const IFrame*) {
            if (info.mediaId == kFaultyLayer && onFaultyTap) onFaultyTap();
        });
        for (const auto& card : {faulty, healthy}) ASSERT_TRUE(card->vblank().awaitWait(1));
    }
    void TearDown() override {
        for (const auto& card : cards) card->vblank().open();
        qrc::test::unwire(*mgr);
    }

    std::shared_ptr<sim::SimRenderFacade> faulty = addCard(kFaultyCard);
    std::shared_ptr<sim::SimRenderFacade> healthy = addCard(kHealthyCard);
    std::shared_ptr<sim::SimPlayer> faultyPlayer;
    std::shared_ptr<sim::SimPlayer> healthyPlayer;
    std::function<void()> onFaultyTap;
};

struct ThrowCase {
    const char* host;  // what throws
    const char* line;  // the error line it leaves
};

class AThrowingHostCall : public TwoCards, public ::testing::WithParamInterface<ThrowCase> {};

TEST_P(AThrowingHostCall, IsLoggedAndEndsOnlyItsPass) {
    if (GetParam().host == std::string("tap"))
        onFaultyTap = [] { throw std::runtime_error("tap broke"); };
    else
        faulty->setRenderHook(renderBroke);
    start();
    const size_t errors = log.count(Err, GetParam().line);  // the first pass may run before the tap is set
    const uint64_t healthyPasses = healthy->renders();
    for (int blank = 0; blank < kBlanks; ++blank) {
        for (const auto& card : cards) pass(*card);
    }
    EXPECT_EQ(log.count(Err, GetParam().line), errors + kBlanks);           // one per pass: the loop went on
    EXPECT_EQ(healthy->renders(), healthyPasses + kBlanks);                 // the other card missed no blank
    EXPECT_EQ(faultyPlayer->framesConsumed(), faultyPlayer->framesMade());  // every frame went back
    EXPECT_GE(faultyPlayer->framesMade(), static_cast<uint64_t>(kBlanks));
}

INSTANTIATE_TEST_SUITE_P(Hosts, AThrowingHostCall,
                         ::testing::Values(ThrowCase{"tap", "render pass failed: tap broke"},
                                           ThrowCase{"render", "render pass failed: render broke"}),
                         [](const auto& info) { return std::string(info.param.host); });

TEST_F(TwoCards, ABlockingTapHoldsUpOnlyItsOwnCard) {
    onFaultyTap = [] { sim::pausePoint("tap"); };
    start();
    const auto parked = sim::armPause("tap");  // the first pass may meet the tap before or after start() returns
    faulty->vblank().step();                   // card A's next pass stops in the tap
    ASSERT_TRUE(parked->awaitEntered(5s));
    const uint64_t healthyPasses = healthy->renders();
    for (int blank = 0; blank < kBlanks; ++blank) pass(*healthy);
    EXPECT_EQ(healthy->renders(), healthyPasses + kBlanks);
    EXPECT_EQ(faulty->renders(), 1u);
    parked->release();
    EXPECT_TRUE(faulty->vblank().awaitWait(2));
    EXPECT_EQ(faulty->renders(), 2u);
}

// Services the host drops while a pass uses them stay alive until the pass ends; the
// next pass finds them gone, says so and still draws.
TEST_F(TwoCards, ServicesThatExpireInAPassDoNotCrashIt) {
    host.addPlayer(kFaultyCard, {.name = "a2", .width = 32, .height = 18}, kFaultyLayer + 100, 2);
    const std::weak_ptr<sim::SimLayoutMgr> layoutMgr = host.layoutMgr;
    onFaultyTap = [this] {
        host.layoutMgr.reset();
        host.dispatchMgr.reset();
        host.physicsOutputMgr.reset();
    };
    start();
    pass(*faulty);  // the pass in which they go: its second player still uses them
    ASSERT_TRUE(layoutMgr.expired());
    const uint64_t passes = faulty->endFrames();
    pass(*faulty);
    EXPECT_TRUE(log.contains(renderctrl::log::Warn, "layoutMgrSharedPtr is null."));
    EXPECT_EQ(faulty->endFrames(), passes + 1);
    for (const auto& record : log.records()) EXPECT_LT(record.level, Err) << record.line;
}

// A facade whose vertical-blank wait throws: each failed wait is replaced by a frame's
// pause, so the thread neither dies nor spins.
class BlanklessFacade : public sim::SimRenderFacade {
public:
    using SimRenderFacade::SimRenderFacade;
    void waitForVBlank() override { throw std::runtime_error("no blank"); }
};

// The input source fixture parks every zqSleep at its gate.
class FailingWait : public test::InputCtrl {
protected:
    std::shared_ptr<BlanklessFacade> blankless = std::make_shared<BlanklessFacade>("#2(Blankless)");
};

TEST_F(FailingWait, PacesTheRenderThreadWithAFramesPause) {
    RenderCtrl render;
    render.setRenderFacade(blankless);
    render.start();
    ASSERT_TRUE(gate.awaitWait(1));
    EXPECT_EQ(lastSleepMs.load(), 16u);
    EXPECT_TRUE(log.contains(Err, "vertical blank wait failed: no blank"));
    EXPECT_EQ(blankless->renders(), 1u);
    gate.step();
    ASSERT_TRUE(gate.awaitWait(2));
    EXPECT_EQ(blankless->renders(), 2u);  // one pass per pause
    gate.open();
    render.release();
}

// The frame sync library is built apart: no exception may cross into it.
TEST_F(FailingWait, NeverLeavesTheFrameSyncRenderContext) {
    auto render = std::make_shared<RenderCtrl>();
    render->setRenderFacade(blankless);
    blankless->setRenderHook(renderBroke);
    FrameSyncRenderCtx context(render);
    gate.open();
    EXPECT_NO_THROW(context.renderScene(7));
    EXPECT_NO_THROW(context.waitForVBlank());
    EXPECT_EQ(lastSleepMs.load(), 16u);
    EXPECT_EQ(log.count(Err, "render pass failed: render broke"), 1u);
    EXPECT_EQ(log.count(Err, "vertical blank wait failed: no blank"), 1u);
}

class InputFaults : public test::InputCtrl {};

TEST_F(InputFaults, AThrowingTapEndsThePassAndReturnsItsFrames) {
    const auto camera = addInput("cam", {5});
    ctrl.setFrameDataCallBack([](const MediaInfo&, const IFrame*) { throw std::runtime_error("tap broke"); });
    start();
    EXPECT_EQ(lastSleepMs.load(), 16u);  // paced as ever
    passAt(20'000'000);
    EXPECT_EQ(log.count(Err, "input pass failed: tap broke"), 2u);
    EXPECT_EQ(camera->framesMade(), 2u);
    EXPECT_EQ(camera->framesConsumed(), 2u);
}

TEST(DrawThreadFaults, AThrowingDrawAnswersItsRequestAndTheThreadGoesOn) {
    qrc::test::LogCapture log;
    auto facade = std::make_shared<sim::SimRenderFacade>("#0(Draw)");
    std::atomic<int> draws{0};
    facade->setRenderHook([&] {
        ++draws;
        renderBroke();
    });
    DrawThread draw;
    draw.setRenderFacade(facade);
    draw.start();
    for (int n = 1; n <= 3; ++n) {
        draw.requestDraw();
        draw.waitDrawn();  // returns: the failed draw answered the request
        EXPECT_EQ(draws.load(), n);
    }
    draw.stop();
    EXPECT_EQ(log.count(Err, "draw failed: render broke"), 3u);
}

}  // namespace
}  // namespace qorva::mediadispatch
