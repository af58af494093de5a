#pragma once
// Work one thread hands to another and waits for: the link manager's signals, run on
// the runtime's thread. Work the other thread has not started when the handing thread
// must stop is dropped, so it never runs on an owner that is gone.
#include <condition_variable>
#include <functional>
#include <mutex>

namespace qorva::sim {

class HandOff {
public:
    // On the thread the work was handed to: runs it unless it was dropped.
    void run(const std::function<void()>& work) {
        {
            std::lock_guard lock(_mutex);
            if (_state != State::Queued) return;
            _state = State::Running;
        }
        work();
        std::lock_guard lock(_mutex);
        _state = State::Done;
        _changed.notify_all();
    }

    // Until the work ran, or was dropped before it started.
    void await() {
        std::unique_lock lock(_mutex);
        _changed.wait(lock, [&] { return _state == State::Done || _state == State::Dropped; });
    }

    // Drops the work if it has not started; work under way is let finish.
    void drop() {
        std::lock_guard lock(_mutex);
        if (_state == State::Queued) _state = State::Dropped;
        _changed.notify_all();
    }

private:
    enum class State { Queued, Running, Done, Dropped };
    std::mutex _mutex;
    std::condition_variable _changed;
    State _state = State::Queued;
};

}  // namespace qorva::sim
