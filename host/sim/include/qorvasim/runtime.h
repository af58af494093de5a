#pragma once
// A host runtime: posted tasks and timers run on its own thread; RPC events are
// fired by the host side. Its clock is real, or manual so that tests drive timers.
// Before a timer's callback its thread passes the pause point "runTimer" (detail: the
// timer's id), where a test can hold a timer that has fired but not yet run.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "qorvahost/izqruntime.h"
#include "qorvasim/calllog.h"

namespace qorva::sim {

class SimRuntime : public tarsel::IZQRuntime {
public:
    explicit SimRuntime(bool serverMode = true);
    ~SimRuntime() override;
    SimRuntime(const SimRuntime&) = delete;
    SimRuntime& operator=(const SimRuntime&) = delete;

    void postTask(const std::function<void()>& task, const char* functionName, const char* sourcePath,
                  int line) override;
    int startTimer(int intervalMs, const std::function<void(int)>& callback, int repeat) override;
    void stopTimer(int id) override;
    void registerEventHandler(const char* event, const char* handlerName, const std::function<void(void*)>& handler,
                              void* owner, int mode) override;
    void unregisterEventHandler(const char* event, const char* handlerName, void* owner) override;
    bool isServerMode() override { return _serverMode; }
    bool isClientMode() override { return _clientMode; }

    void setServerMode(bool on) { _serverMode = on; }
    void setClientMode(bool on) { _clientMode = on; }

    // Calls every handler registered for `event`, on the calling thread.
    void fireEvent(const std::string& event, void* argument = nullptr);
    size_t handlerCount(const std::string& event) const;
    size_t activeTimers() const;

    // From now on timers fire only when advance() moves the clock.
    void useManualClock();
    // Moves the manual clock and waits until every timer due by then has run.
    bool advance(std::chrono::milliseconds delta, std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // Waits until every posted task has run; false on timeout.
    bool settle(std::chrono::milliseconds timeout = std::chrono::seconds(5));

    CallLog& calls() { return _calls; }

private:
    struct Timer {
        int64_t dueMs = 0;
        int intervalMs = 0;
        int repeat = 0;
        std::function<void(int)> callback;
    };
    struct Handler {
        std::string event;
        std::string name;
        void* owner = nullptr;
        std::function<void(void*)> handler;
    };

    void run();
    int64_t nowMs() const;
    bool runOneLocked(std::unique_lock<std::mutex>& lock);
    bool idleLocked() const;

    std::atomic<bool> _serverMode;
    std::atomic<bool> _clientMode{false};
    CallLog _calls;

    mutable std::mutex _mutex;
    std::condition_variable _wake;
    std::condition_variable _progress;
    std::deque<std::function<void()>> _tasks;
    std::map<int, Timer> _timers;
    std::vector<Handler> _handlers;
    int _nextTimerId = 1;
    bool _manualClock = false;
    int64_t _manualNowMs = 0;
    bool _busy = false;
    bool _stop = false;
    std::thread _thread;
};

}  // namespace qorva::sim
