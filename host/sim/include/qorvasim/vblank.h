#pragma once
// The vertical blank of a simulated display card. In real time it ticks at a fixed
// rate (60 Hz by default) and counts the blanks a waiter missed; in manual mode a
// wait returns only when a test steps a blank, so tests never wait for real time.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace qorva::sim {

class VBlank {
public:
    explicit VBlank(std::chrono::nanoseconds period = std::chrono::nanoseconds(16'666'667));

    // Blocks until the next blank (or, once opened, returns at once).
    void wait();

    // Ticks in phase with `reference` (of the same rate) from now on (genlock: cards driven together
    // share one blank phase). Call it before anyone waits.
    void lockPhaseTo(const VBlank& reference);
    // The number of the real-time blank last passed at `time` (0 at the origin).
    int64_t blankIndex(std::chrono::steady_clock::time_point time) const;
    std::chrono::nanoseconds period() const { return _period; }

    void setManual(bool manual);
    // Manual mode: lets `count` waits return.
    void step(unsigned count = 1);
    // Manual mode: until the `nth` wait since construction is blocked; false on timeout.
    bool awaitWait(uint64_t nth, std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // Every wait returns at once from now on (used to let threads finish).
    void open();

    uint64_t waits() const;
    // Real-time blanks that passed while nobody waited for them.
    uint64_t missed() const;

private:
    std::chrono::steady_clock::time_point origin() const;
    void waitRealTime(std::unique_lock<std::mutex>& lock);
    void waitManual(std::unique_lock<std::mutex>& lock);

    const std::chrono::nanoseconds _period;
    std::chrono::steady_clock::time_point _origin;
    mutable std::mutex _mutex;
    std::condition_variable _changed;
    bool _manual = false;
    bool _open = false;
    unsigned _steps = 0;
    unsigned _waiting = 0;
    uint64_t _waits = 0;
    uint64_t _missed = 0;
    int64_t _lastBlank = -1;
};

}  // namespace qorva::sim
