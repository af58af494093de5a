// The simulated host behaves the way the tests and the sandbox rely on.
#include <atomic>
#include <future>
#include <thread>

#include <gtest/gtest.h>

#include "qorvasim/host.h"
#include "qorvasim/picture.h"

namespace qorva::sim {
namespace {

using namespace std::chrono_literals;

TEST(SimVBlank, AManualWaitReturnsOnlyWhenABlankIsStepped) {
    VBlank vblank;
    vblank.setManual(true);
    std::atomic<int> passed{0};
    std::thread waiter([&] {
        vblank.wait();
        ++passed;
        vblank.wait();
        ++passed;
    });
    ASSERT_TRUE(vblank.awaitWait(1));
    EXPECT_EQ(passed.load(), 0);
    vblank.step();
    ASSERT_TRUE(vblank.awaitWait(2));
    EXPECT_EQ(passed.load(), 1);
    vblank.step();
    waiter.join();
    EXPECT_EQ(passed.load(), 2);
    EXPECT_EQ(vblank.waits(), 2u);
}

TEST(SimVBlank, OpeningReleasesABlockedWaiterAndLaterWaits) {
    VBlank vblank;
    vblank.setManual(true);
    auto done = std::async(std::launch::async, [&] { vblank.wait(); });
    ASSERT_TRUE(vblank.awaitWait(1));
    vblank.open();
    EXPECT_EQ(done.wait_for(5s), std::future_status::ready);
    vblank.wait();  // returns at once
}

TEST(SimRuntime, ManualTimersFireWhenTheClockReachesThemAndSingleShotsOnce) {
    SimRuntime runtime;
    runtime.useManualClock();
    std::atomic<int> once{0}, repeated{0};
    runtime.startTimer(
        1000, [&](int) { ++once; }, 1);
    runtime.startTimer(
        500, [&](int) { ++repeated; }, -1);
    ASSERT_TRUE(runtime.advance(999ms));
    EXPECT_EQ(once.load(), 0);
    EXPECT_EQ(repeated.load(), 1);
    ASSERT_TRUE(runtime.advance(1ms));
    EXPECT_EQ(once.load(), 1);
    ASSERT_TRUE(runtime.advance(2000ms));
    EXPECT_EQ(once.load(), 1);
    EXPECT_EQ(repeated.load(), 6);
    EXPECT_EQ(runtime.activeTimers(), 1u);
}

TEST(SimRuntime, AStoppedTimerNeverFires) {
    SimRuntime runtime;
    runtime.useManualClock();
    std::atomic<int> fired{0};
    const int id = runtime.startTimer(
        1000, [&](int) { ++fired; }, 1);
    runtime.stopTimer(id);
    runtime.stopTimer(-1);  // any id is accepted
    ASSERT_TRUE(runtime.advance(5000ms));
    EXPECT_EQ(fired.load(), 0);
}

TEST(SimRuntime, PostedTasksRunOnTheRuntimeThread) {
    SimRuntime runtime;
    std::promise<std::thread::id> ranOn;
    runtime.postTask([&] { ranOn.set_value(std::this_thread::get_id()); }, "setRenderFacade", "a.cpp", 7);
    auto id = ranOn.get_future();
    ASSERT_EQ(id.wait_for(5s), std::future_status::ready);
    EXPECT_NE(id.get(), std::this_thread::get_id());
    EXPECT_EQ(runtime.calls().calls().at(0), "postTask(setRenderFacade,a.cpp,7)");
}

TEST(SimRuntime, EventsReachTheHandlersRegisteredForThemUntilUnregistered) {
    SimRuntime runtime;
    int owner = 0;
    int connected = 0;
    runtime.registerEventHandler(
        "OnEditConnected", "h", [&](void*) { ++connected; }, &owner, 3);
    runtime.fireEvent("OnEditConnected");
    runtime.fireEvent("OnEditDisconnect");
    runtime.unregisterEventHandler("OnEditConnected", "h", &owner);
    runtime.fireEvent("OnEditConnected");
    EXPECT_EQ(connected, 1);
}

TEST(SimLayoutMgr, ReportsLayerSizesAsChangedOnce) {
    SimLayoutMgr layout;
    layout.setLayerSizes("card", {{7, 1, 640, 360}}, false);
    std::list<OutputLayerSize> sizes;
    bool changed = false, exempt = true;
    layout.getOutputLayerSizes(sizes, "card", &changed, &exempt);
    EXPECT_TRUE(changed);
    EXPECT_FALSE(exempt);
    ASSERT_EQ(sizes.size(), 1u);
    changed = false;
    layout.getOutputLayerSizes(sizes, "card", &changed, &exempt);
    EXPECT_FALSE(changed);
}

TEST(SimPicture, BoxScaleAveragesEachSourceBox) {
    zq::mediacore::STAVFrame source;
    source.width = 2;
    source.height = 2;
    source.pixels = {0x00000000u, 0x04040404u, 0x08080808u, 0x0C0C0C0Cu};
    const auto out = boxScale(source, 1, 1);
    ASSERT_EQ(out->pixels.size(), 1u);
    EXPECT_EQ(out->pixels[0], 0x06060606u);
    EXPECT_EQ(boxScale(source, 4, 2)->pixels.size(), 8u);
}

TEST(SimPlayer, MakesNumberedFramesWhileLiveAndKeepsThemUntilConsumed) {
    SimPlayer player({.name = "clip", .width = 64, .height = 36, .fps = 25});
    auto* frame = player.getFrame(2.5);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->getWidth(), 64);
    EXPECT_EQ(frame->getFps(), 25u);
    EXPECT_DOUBLE_EQ(frame->getTime(), 2.5);
    player.setLive(false);
    EXPECT_EQ(player.getFrame(3.0), nullptr);
    player.frameConsumed();
    EXPECT_EQ(player.framesMade(), 1u);
    EXPECT_EQ(player.framesConsumed(), 1u);
}

TEST(SimFacade, ListsItsCardsAndHandsOutEachCardsFacade) {
    SimRenderFacade root;
    auto a = root.addCard("#0(NVIDIA A)");
    auto b = root.addCard("#1(Other)");
    std::vector<qorva::mediaoutput::DisplayCardInfo> cards;
    root.getDisplayCards(cards);
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[1].text, "#1(Other)");
    std::weak_ptr<qorva::mediaoutput::IRenderFacade> card;
    root.getCardRenderFacade(card, cards[1]);
    EXPECT_EQ(card.lock(), b);
}

}  // namespace
}  // namespace qorva::sim
