#include "qorvasim/vblank.h"

namespace qorva::sim {

VBlank::VBlank(std::chrono::nanoseconds period) : _period(period), _origin(std::chrono::steady_clock::now()) {}

void VBlank::wait() {
    std::unique_lock lock(_mutex);
    ++_waits;
    if (_open) return;
    if (_manual)
        waitManual(lock);
    else
        waitRealTime(lock);
}

void VBlank::lockPhaseTo(const VBlank& reference) {
    const auto origin = reference.origin();
    std::lock_guard lock(_mutex);
    _origin = origin;
    _lastBlank = -1;
}

std::chrono::steady_clock::time_point VBlank::origin() const {
    std::lock_guard lock(_mutex);
    return _origin;
}

int64_t VBlank::blankIndex(std::chrono::steady_clock::time_point time) const { return (time - origin()) / _period; }

void VBlank::waitRealTime(std::unique_lock<std::mutex>& lock) {
    const auto sinceOrigin = std::chrono::steady_clock::now() - _origin;
    const int64_t next = sinceOrigin / _period + 1;
    if (_lastBlank >= 0 && next > _lastBlank + 1) _missed += static_cast<uint64_t>(next - _lastBlank - 1);
    _lastBlank = next;
    const auto deadline = _origin + next * _period;
    // Wake early only when opened, so that a stopping thread does not wait a blank.
    _changed.wait_until(lock, deadline, [&] { return _open; });
}

void VBlank::waitManual(std::unique_lock<std::mutex>& lock) {
    ++_waiting;
    _changed.notify_all();
    _changed.wait(lock, [&] { return _steps > 0 || _open || !_manual; });
    if (_steps > 0) --_steps;
    --_waiting;
}

void VBlank::setManual(bool manual) {
    {
        std::lock_guard lock(_mutex);
        _manual = manual;
    }
    _changed.notify_all();
}

void VBlank::step(unsigned count) {
    {
        std::lock_guard lock(_mutex);
        _steps += count;
    }
    _changed.notify_all();
}

bool VBlank::awaitWait(uint64_t nth, std::chrono::milliseconds timeout) {
    std::unique_lock lock(_mutex);
    return _changed.wait_for(lock, timeout, [&] { return _waits >= nth && _waiting > 0; });
}

void VBlank::open() {
    {
        std::lock_guard lock(_mutex);
        _open = true;
    }
    _changed.notify_all();
}

uint64_t VBlank::waits() const {
    std::lock_guard lock(_mutex);
    return _waits;
}

uint64_t VBlank::missed() const {
    std::lock_guard lock(_mutex);
    return _missed;
}

}  // namespace qorva::sim
