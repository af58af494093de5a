#include "qorvasim/runtime.h"
#include "qorvasim/pausepoints.h"

#include <fmt/format.h>

namespace qorva::sim {

SimRuntime::SimRuntime(bool serverMode) : _serverMode(serverMode), _thread([this] { run(); }) {}

SimRuntime::~SimRuntime() {
    {
        std::lock_guard lock(_mutex);
        _stop = true;
    }
    _wake.notify_all();
    _thread.join();
}

void SimRuntime::postTask(const std::function<void()>& task, const char* functionName, const char* sourcePath,
                          int line) {
    pausePoint("postTask");
    _calls.record(
        fmt::format("postTask({},{},{})", functionName ? functionName : "", sourcePath ? sourcePath : "", line));
    {
        std::lock_guard lock(_mutex);
        _tasks.push_back(task);
    }
    _wake.notify_all();
}

int SimRuntime::startTimer(int intervalMs, const std::function<void(int)>& callback, int repeat) {
    pausePoint("startTimer");
    int id = 0;
    {
        std::lock_guard lock(_mutex);
        id = _nextTimerId++;
        _timers[id] = Timer{nowMs() + intervalMs, intervalMs, repeat, callback};
    }
    _calls.record(fmt::format("startTimer({},{})", intervalMs, repeat));
    _wake.notify_all();
    return id;
}

void SimRuntime::stopTimer(int id) {
    pausePoint("stopTimer");
    {
        std::lock_guard lock(_mutex);
        _timers.erase(id);
    }
    _calls.record(fmt::format("stopTimer({})", id));
}

void SimRuntime::registerEventHandler(const char* event, const char* handlerName,
                                      const std::function<void(void*)>& handler, void* owner, int mode) {
    pausePoint("registerEventHandler");
    {
        std::lock_guard lock(_mutex);
        _handlers.push_back(Handler{event, handlerName, owner, handler});
    }
    _calls.record(fmt::format("registerEventHandler({},{},{})", event, handlerName, mode));
}

void SimRuntime::unregisterEventHandler(const char* event, const char* handlerName, void* owner) {
    pausePoint("unregisterEventHandler");
    {
        std::lock_guard lock(_mutex);
        std::erase_if(_handlers,
                      [&](const Handler& h) { return h.event == event && h.name == handlerName && h.owner == owner; });
    }
    _calls.record(fmt::format("unregisterEventHandler({},{})", event, handlerName));
}

void SimRuntime::fireEvent(const std::string& event, void* argument) {
    std::vector<std::function<void(void*)>> handlers;
    {
        std::lock_guard lock(_mutex);
        for (const auto& h : _handlers)
            if (h.event == event) handlers.push_back(h.handler);
    }
    for (const auto& handler : handlers) handler(argument);
}

size_t SimRuntime::handlerCount(const std::string& event) const {
    std::lock_guard lock(_mutex);
    size_t n = 0;
    for (const auto& h : _handlers) n += h.event == event ? 1 : 0;
    return n;
}

size_t SimRuntime::activeTimers() const {
    std::lock_guard lock(_mutex);
    return _timers.size();
}

int64_t SimRuntime::nowMs() const {
    if (_manualClock) return _manualNowMs;
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SimRuntime::useManualClock() {
    std::lock_guard lock(_mutex);
    const int64_t realNow = nowMs();
    _manualClock = true;
    _manualNowMs = realNow;
}

bool SimRuntime::advance(std::chrono::milliseconds delta, std::chrono::milliseconds timeout) {
    std::unique_lock lock(_mutex);
    _manualNowMs += delta.count();
    _wake.notify_all();
    return _progress.wait_for(lock, timeout, [&] { return idleLocked(); });
}

bool SimRuntime::settle(std::chrono::milliseconds timeout) {
    std::unique_lock lock(_mutex);
    return _progress.wait_for(lock, timeout, [&] { return idleLocked(); });
}

bool SimRuntime::idleLocked() const {
    if (_busy || !_tasks.empty()) return false;
    const int64_t now = nowMs();
    for (const auto& [id, timer] : _timers)
        if (timer.dueMs <= now) return false;
    return true;
}

// Runs one task or one due timer with the lock released; false when nothing was due.
bool SimRuntime::runOneLocked(std::unique_lock<std::mutex>& lock) {
    std::function<void()> work;
    if (!_tasks.empty()) {
        work = std::move(_tasks.front());
        _tasks.pop_front();
    } else {
        const int64_t now = nowMs();
        for (auto it = _timers.begin(); it != _timers.end(); ++it) {
            if (it->second.dueMs > now) continue;
            const int id = it->first;
            work = [callback = it->second.callback, id] {
                pausePoint("runTimer", std::to_string(id));
                callback(id);
            };
            if (it->second.repeat == 1)
                _timers.erase(it);
            else
                it->second.dueMs += std::max(1, it->second.intervalMs);
            break;
        }
    }
    if (!work) return false;
    _busy = true;
    lock.unlock();
    work();
    lock.lock();
    _busy = false;
    return true;
}

void SimRuntime::run() {
    std::unique_lock lock(_mutex);
    while (!_stop) {
        if (runOneLocked(lock)) continue;
        _progress.notify_all();
        if (_manualClock || _timers.empty()) {
            _wake.wait(lock);
            continue;
        }
        int64_t next = INT64_MAX;
        for (const auto& [id, timer] : _timers) next = std::min(next, timer.dueMs);
        _wake.wait_for(lock, std::chrono::milliseconds(next - nowMs()));
    }
}

}  // namespace qorva::sim
