// The link manager's delivery duty: with the duties its signals reach the library on
// the runtime's thread, where the restore timer runs; a busy runtime holds back the
// signals but not the manager's own loop, and what is still queued when the manager
// stops is dropped.
#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include "launcher.h"
#include "nodereport.h"
#include "qorvasim/runtime.h"
#include "qorvasim/zmqlinkmgr.h"

namespace {

using namespace std::chrono_literals;

// One node alone: it announces the node list at its first beat and takes the master
// role after listening. Records the thread of every announcement.
class LoneNode {
public:
    explicit LoneNode(bool duties)
        : _linkMgr({.ips = {ip()}, .localIp = ip(), .port = sandbox::freePort(ip()), .duties = duties},
                   [this](const std::string& event) { noted(event); }) {
        _linkMgr.deliverOn(&runtime);
        _linkMgr.sigClusterNodeChanged.connect([this](const auto&) { heard(); });
        _linkMgr.sigLinkedStatusChanged.connect([this](const auto&) { heard(); });
    }
    ~LoneNode() { _linkMgr.stop(); }

    static std::string ip() { return sandbox::nodeIp(0); }
    void start() { _linkMgr.start(); }
    void stop() { _linkMgr.stop(); }
    // A request the node sends itself: handled, as any, where signals are delivered.
    void requestFromItself() {
        _linkMgr.registerMethod("probe", [this](const std::string&, const std::string&) { heard(); });
        _linkMgr.sendRequest({.method = "probe", .targets = {ip()}});
    }

    bool awaitHeard() {
        std::unique_lock lock(_mutex);
        return _changed.wait_for(lock, 10s, [&] { return !_threads.empty(); });
    }
    // Until the manager has given the node a role (noted on its own thread).
    bool awaitRole() {
        std::unique_lock lock(_mutex);
        return _changed.wait_for(lock, 10s, [&] { return _roleNoted; });
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
    void noted(const std::string& event) {
        std::lock_guard lock(_mutex);
        _roleNoted = _roleNoted || event.rfind("role " + ip(), 0) == 0;
        _changed.notify_all();
    }
    void heard() {
        std::lock_guard lock(_mutex);
        _threads.push_back(std::this_thread::get_id());
        _changed.notify_all();
    }

    qorva::sim::ZmqLinkMgr _linkMgr;
    std::mutex _mutex;
    std::condition_variable _changed;
    std::vector<std::thread::id> _threads;
    bool _roleNoted = false;
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

// The runtime is busy: the manager receives a request and goes on beating, and gives
// the node its role; the request's handler and the signals wait. Stopped meanwhile,
// the manager drops them: they never come.
TEST(LinkDelivery, ABusyRuntimeHoldsBackTheSignalsNotTheManagerAndStopDropsThem) {
    LoneNode node(true);
    std::promise<void> unblock;
    node.runtime.postTask([done = unblock.get_future().share()] { done.wait(); }, "test", __FILE__, __LINE__);
    node.start();
    node.requestFromItself();
    const bool roleTaken = node.awaitRole();
    node.stop();
    unblock.set_value();
    EXPECT_TRUE(roleTaken);
    EXPECT_TRUE(node.runtime.settle());
    EXPECT_TRUE(node.threads().empty());
}

}  // namespace
