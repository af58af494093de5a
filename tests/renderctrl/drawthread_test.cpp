// The draw thread: one render() per request, waits for it, and stops cleanly.
#include <atomic>
#include <condition_variable>
#include <future>

#include <gtest/gtest.h>

#include "common/finishedthreads.h"
#include "common/log.h"
#include "qorvahost/zqcutils_control.h"
#include "qorvasim/pausepoints.h"
#include "qorvasim/renderfacade.h"
#include "renderctrl/drawthread.h"
#include "support/logcapture.h"

namespace qorva::mediadispatch {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

// Counts the 1 ms polls of a thread whose draws are disabled, without sleeping.
std::mutex pollMutex;
std::condition_variable polled;
int polls = 0;

void countPoll(unsigned ms) {
    {
        std::lock_guard lock(pollMutex);
        polls += ms == 1 ? 1 : 0;
    }
    polled.notify_all();
    std::this_thread::yield();
}

class Drawing : public ::testing::Test {
protected:
    void TearDown() override { zqcutils::control::setSleepHook(nullptr); }
    void awaitPolls(int count) {
        std::unique_lock lock(pollMutex);
        ASSERT_TRUE(polled.wait_for(lock, 5s, [&] { return polls >= count; }));
    }

    qrc::test::LogCapture log;
    std::shared_ptr<sim::SimRenderFacade> facade = std::make_shared<sim::SimRenderFacade>("#0(Draw)");
    DrawThread draw;
};

TEST_F(Drawing, EachRequestDrawsOnceAndTheStopWakeUpDrawsNothing) {
    draw.setRenderFacade(facade);
    draw.start();
    for (uint64_t n = 1; n <= 3; ++n) {
        draw.requestDraw();
        draw.waitDrawn();
        EXPECT_EQ(facade->renders(), n);
    }
    draw.stop();
    EXPECT_EQ(facade->renders(), 3u);
    EXPECT_EQ(log.messages(), (Strings{"Draw thread started.", "Draw thread stoped."}));
}

// A request made during a draw (from inside render() too) waits for that draw to
// end and is satisfied by it.
TEST_F(Drawing, ARequestDuringADrawWaitsForItAndIsSatisfiedByIt) {
    facade->setRenderHook([&] {
        draw.requestDraw();
        sim::pausePoint("drawing");
    });
    const auto drawing = sim::armPause("drawing");
    draw.setRenderFacade(facade);
    draw.start();
    draw.requestDraw();
    ASSERT_TRUE(drawing->awaitEntered());
    auto request = std::async(std::launch::async, [this] { draw.requestDraw(); });
    EXPECT_EQ(request.wait_for(50ms), std::future_status::timeout);
    drawing->release();
    ASSERT_EQ(request.wait_for(5s), std::future_status::ready);
    draw.waitDrawn();
    EXPECT_EQ(facade->renders(), 1u);
}

// A start() racing a stop() on another thread waits for the stop and starts a new
// thread: it never raises the flag again for the thread being joined, and a draw in
// progress cannot swallow the stop's wake-up.
TEST_F(Drawing, AStartRacingAStopWaitsForItAndStartsANewThread) {
    draw.setRenderFacade(facade);
    draw.start();
    const auto inRender = sim::armPause("render", "#0(Draw)");
    draw.requestDraw();
    ASSERT_TRUE(inRender->awaitEntered());
    // Returns once the stop has lowered the flag: the draw is parked, so not drawn.
    auto waiter = std::async(std::launch::async, [this] { draw.waitDrawn(); });
    auto stopper = std::async(std::launch::async, [this] { draw.stop(); });
    ASSERT_EQ(waiter.wait_for(5s), std::future_status::ready);
    auto starter = std::async(std::launch::async, [this] { draw.start(); });
    EXPECT_EQ(starter.wait_for(100ms), std::future_status::timeout);  // waits for the stop
    inRender->release();
    ASSERT_EQ(stopper.wait_for(5s), std::future_status::ready);
    ASSERT_EQ(starter.wait_for(5s), std::future_status::ready);
    draw.requestDraw();
    draw.waitDrawn();
    EXPECT_EQ(facade->renders(), 2u);
}

TEST_F(Drawing, WhileDisabledARequestPollsEveryMsUntilDrawsAreEnabled) {
    polls = 0;
    zqcutils::control::setSleepHook(countPoll);
    draw.setRenderFacade(facade);
    draw.setDrawEnabled(false);
    draw.start();
    draw.requestDraw();
    auto waiter = std::async(std::launch::async, [this] { draw.waitDrawn(); });
    awaitPolls(3);
    EXPECT_NE(waiter.wait_for(0ms), std::future_status::ready);
    EXPECT_EQ(facade->renders(), 0u);
    draw.setDrawEnabled(true);
    ASSERT_EQ(waiter.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(facade->renders(), 1u);
}

TEST_F(Drawing, StopReleasesAWaiterThatNoDrawWillServe) {
    draw.start();  // no facade: nothing can be drawn
    draw.requestDraw();
    auto waiter = std::async(std::launch::async, [this] { draw.waitDrawn(); });
    draw.stop();
    EXPECT_EQ(waiter.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(log.messages(), (Strings{"Draw thread started.", "Draw thread stoped."}));
}

TEST_F(Drawing, StopWithoutStartOnlyClearsTheFlagAndWakesWaiters) {
    draw.stop();
    draw.requestDraw();
    draw.waitDrawn();
    EXPECT_EQ(log.size(), 0u);
}

TEST_F(Drawing, DestructionJoinsTheThread) {
    {
        DrawThread scoped;
        scoped.setRenderFacade(facade);
        scoped.start();
    }
    EXPECT_EQ(log.messages(), (Strings{"Draw thread started.", "Draw thread stoped."}));
}

// From inside render() the owner cannot join: destroyed there, or stopped (which
// throws), it lets the loop end after that draw.
class FromInsideRender : public Drawing, public ::testing::WithParamInterface<bool> {};

TEST_P(FromInsideRender, TheLoopEndsAfterThatDraw) {
    const bool stopped = GetParam();
    const uint64_t kept = renderctrl::keptThreadCount();
    auto owned = std::make_unique<DrawThread>();
    bool threw = false;
    facade->setRenderHook([&] {
        if (!stopped) return owned.reset();
        try {
            owned->stop();
        } catch (const std::system_error&) {
            threw = true;
        }
    });
    owned->setRenderFacade(facade);
    owned->start();
    owned->requestDraw();
    ASSERT_TRUE(log.waitFor(renderctrl::log::Info, "Draw thread stoped."));
    if (!stopped) {
        ASSERT_TRUE(renderctrl::joinKeptThreads(kept + 1, 5s));  // the thread has ended
    }
    EXPECT_EQ(threw, stopped);
    EXPECT_EQ(facade->renders(), 1u);
}

INSTANTIATE_TEST_SUITE_P(DestroyedOrStopped, FromInsideRender, ::testing::Bool());

}  // namespace
}  // namespace qorva::mediadispatch
