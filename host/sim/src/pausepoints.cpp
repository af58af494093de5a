#include "qorvasim/pausepoints.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace qorva::sim {

namespace {

struct Registry {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::weak_ptr<Parking>> armed;
    std::atomic<int> armedCount{0};
    std::atomic<bool> watching{false};
    std::function<void(const char*, const std::string&)> watcher;
};

// Never destroyed: a thread parked at exit must find it alive.
Registry& registry() {
    static auto* const instance = new Registry;
    return *instance;
}

void disarm(const Parking* parking) {
    auto& r = registry();
    auto& armed = r.armed;
    armed.erase(std::remove_if(armed.begin(), armed.end(),
                               [&](const std::weak_ptr<Parking>& p) {
                                   const auto alive = p.lock();
                                   return !alive || alive.get() == parking;
                               }),
                armed.end());
    r.armedCount = static_cast<int>(armed.size());
}

}  // namespace

Parking::~Parking() {
    auto& r = registry();
    {
        std::lock_guard lock(r.mutex);
        _released = true;
        disarm(this);
    }
    r.changed.notify_all();
}

bool Parking::awaitEntered(std::chrono::milliseconds timeout) {
    auto& r = registry();
    std::unique_lock lock(r.mutex);
    return r.changed.wait_for(lock, timeout, [&] { return _entered; });
}

void Parking::release() {
    auto& r = registry();
    {
        std::lock_guard lock(r.mutex);
        _released = true;
        disarm(this);
    }
    r.changed.notify_all();
}

bool Parking::parked() const {
    std::lock_guard lock(registry().mutex);
    return _parked;
}

std::thread::id Parking::thread() const {
    std::lock_guard lock(registry().mutex);
    return _thread;
}

// With the registry locked.
bool Parking::take(const char* name, const std::string& detail) {
    if (_entered || _released || call != name || (!where.empty() && where != detail)) return false;
    if (skip > 0) {
        --skip;
        return false;
    }
    _entered = _parked = true;
    _thread = std::this_thread::get_id();
    return true;
}

std::shared_ptr<Parking> armPause(const std::string& call, const std::string& where, int skip) {
    auto parking = std::make_shared<Parking>(call, where, skip);
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    r.armed.push_back(parking);
    r.armedCount = static_cast<int>(r.armed.size());
    return parking;
}

void watchCalls(std::function<void(const char* call, const std::string& where)> watcher) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    r.watching = static_cast<bool>(watcher);
    r.watcher = std::move(watcher);
}

void pausePoint(const char* call, const std::string& where) {
    auto& r = registry();
    if (r.watching.load(std::memory_order_acquire)) {
        std::function<void(const char*, const std::string&)> watcher;
        {
            std::lock_guard lock(r.mutex);
            watcher = r.watcher;
        }
        if (watcher) watcher(call, where);
    }
    if (r.armedCount.load(std::memory_order_acquire) == 0) return;
    std::unique_lock lock(r.mutex);
    std::shared_ptr<Parking> mine;
    for (const auto& weak : r.armed) {
        const auto parking = weak.lock();
        if (parking && parking->take(call, where)) {
            mine = parking;
            break;
        }
    }
    if (!mine) return;
    r.changed.notify_all();
    r.changed.wait_for(lock, kParkLimit, [&] { return mine->_released; });
    mine->_parked = false;
    lock.unlock();
    r.changed.notify_all();
}

}  // namespace qorva::sim
