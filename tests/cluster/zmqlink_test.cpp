// The link manager's delivery duty: with the duties its signals reach the library on
// the runtime's thread, where the restore timer runs, and a delivery the runtime has
// not started when the manager stops is dropped rather than waited for.
#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include "launcher.h"
#include "nodereport.h"
#include "qorvasim/pausepoints.h"
#include "qorvasim/runtime.h"
#include "qorvasim/zmqlinkmgr.h"

namespace {

using namespace std::chrono_literals;

// One node alone: it announces the node list at its first beat and takes the master
// role after listening. Records the thread of every announcement.
class LoneNode {
public:
    explicit LoneNode(bool duties)
        : _linkMgr({.ips = {ip()}, .localIp = ip(), .port = sandbox::freePort(ip()), .duties = duties}, {}) {
        _linkMgr.deliverOn(&runtime);
        _linkMgr.sigClusterNodeChanged.connect([this](const auto&) { heard(); });
        _linkMgr.sigLinkedStatusChanged.connect([this](const auto&) { heard(); });
    }
    ~LoneNode() { _linkMgr.stop(); }

    static std::string ip() { return sandbox::nodeIp(0); }
    void start() { _linkMgr.start(); }
    void stop() { _linkMgr.stop(); }

    bool awaitHeard() {
        std::unique_lock lock(_mutex);
        return _changed.wait_for(lock, 10s, [&] { return !_threads.empty(); });
    }
    std::vector<std::thread::id> threads() {
        std::lock_guard lock(_mutex);
        return _threads;
    }
    std::thread::id runtimeThread() {
        std::thread::id id;
        runtime.postTask([&] { id = std::this_thread::get_id(); }, "test", __FILE__, __LINE__);
        EXPECT_TRUE(runtime.settle());
        return id;
    }

    qorva::sim::SimRuntime runtime;

private:
    void heard() {
        std::lock_guard lock(_mutex);
        _threads.push_back(std::this_thread::get_id());
        _changed.notify_all();
    }

    qorva::sim::ZmqLinkMgr _linkMgr;
    std::mutex _mutex;
    std::condition_variable _changed;
    std::vector<std::thread::id> _threads;
};

TEST(LinkDelivery, SignalsRunOnTheRuntimesThreadOnlyWithTheDuties) {
    for (const bool duties : {true, false}) {
        LoneNode node(duties);
        node.start();
        ASSERT_TRUE(node.awaitHeard()) << duties;
        node.stop();
        const auto runtime = node.runtimeThread();
        for (const auto thread : node.threads()) EXPECT_EQ(thread == runtime, duties);
    }
}

// The runtime is busy; the manager's thread waits for its first delivery until stop()
// drops it, and the dropped signals never come.
TEST(LinkDelivery, StopDropsADeliveryTheRuntimeHasNotStarted) {
    LoneNode node(true);
    std::promise<void> unblock;
    node.runtime.postTask([done = unblock.get_future().share()] { done.wait(); }, "test", __FILE__, __LINE__);
    std::promise<void> posted;
    std::once_flag once;
    qorva::sim::watchCalls([&](const char* call, const std::string&) {
        if (std::string(call) == "postTask") std::call_once(once, [&] { posted.set_value(); });
    });
    node.start();
    ASSERT_EQ(posted.get_future().wait_for(10s), std::future_status::ready);
    qorva::sim::watchCalls({});

    auto stopped = std::async(std::launch::async, [&] { node.stop(); });
    const bool stopReturned = stopped.wait_for(10s) == std::future_status::ready;
    unblock.set_value();
    stopped.wait();
    EXPECT_TRUE(stopReturned);
    EXPECT_TRUE(node.runtime.settle());
    EXPECT_TRUE(node.threads().empty());
}

}  // namespace
