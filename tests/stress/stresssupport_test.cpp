// The stress tests' own support: the watchdog and the thread count.
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include <gtest/gtest.h>

#include "stress/stresssupport.h"

namespace qrc::test {
namespace {

using namespace std::chrono_literals;

TEST(Watchdog, ReportsTheCycleThatOutlivesItsLimit) {
    std::mutex mutex;
    std::condition_variable reported;
    std::optional<int> hung;
    Watchdog watchdog(20ms, [&](int cycle) {
        std::lock_guard lock(mutex);
        hung = cycle;
        reported.notify_all();
    });
    watchdog.arm(6);
    watchdog.disarm();  // a cycle that ended in time is never reported
    watchdog.arm(7);
    std::unique_lock lock(mutex);
    ASSERT_TRUE(reported.wait_for(lock, 10s, [&] { return hung.has_value(); }));
    EXPECT_EQ(hung, 7);
}

TEST(ProcessThreads, CountsAThreadWhileItRuns) {
    std::thread([] {}).join();  // a sanitizer starts its own helper thread with the first one
    const std::optional<size_t> before = processThreads();
    if (!before) GTEST_SKIP() << "this system does not list a process's threads";
    std::mutex mutex;
    std::condition_variable changed;
    bool counted = false;
    std::thread extra([&] {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return counted; });
    });
    EXPECT_EQ(processThreads(), *before + 1);
    {
        std::lock_guard lock(mutex);
        counted = true;
    }
    changed.notify_all();
    extra.join();
    EXPECT_EQ(settledThreads(*before, 5s), before);
}

}  // namespace
}  // namespace qrc::test
