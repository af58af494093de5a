#include "stress/stresssupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>

namespace qrc::test {

int stressCycles(int fallback) {
    const char* text = std::getenv("QRC_STRESS_CYCLES");
    const int cycles = text ? std::atoi(text) : 0;
    return cycles > 0 ? cycles : fallback;
}

std::optional<size_t> processThreads() {
#if defined(__linux__)
    std::error_code error;
    const std::filesystem::directory_iterator tasks("/proc/self/task", error);
    if (error) return std::nullopt;
    return static_cast<size_t>(std::distance(tasks, std::filesystem::directory_iterator{}));
#else
    return std::nullopt;
#endif
}

std::optional<size_t> settledThreads(size_t expected, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::optional<size_t> count = processThreads();
    while (count && *count != expected && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
        count = processThreads();
    }
    return count;
}

Watchdog::Watchdog(std::chrono::milliseconds limit, std::function<void(int)> report)
    : _limit(limit), _report(std::move(report)), _thread([this] { run(); }) {}

Watchdog::~Watchdog() {
    {
        std::lock_guard lock(_mutex);
        _stop = true;
    }
    _changed.notify_all();
    _thread.join();
}

void Watchdog::arm(int cycle) {
    {
        std::lock_guard lock(_mutex);
        _cycle = cycle;
        _deadline = std::chrono::steady_clock::now() + _limit;
    }
    _changed.notify_all();  // a disarmed watchdog waits for this, not for a deadline
}

void Watchdog::disarm() {
    std::lock_guard lock(_mutex);
    _cycle = -1;
}

// Wakes at the deadline of the armed cycle, or when a cycle is armed.
void Watchdog::run() {
    std::unique_lock lock(_mutex);
    while (!_stop) {
        if (_cycle >= 0 && std::chrono::steady_clock::now() >= _deadline) {
            if (_report)
                _report(_cycle);
            else
                std::fprintf(stderr, "stress: cycle %d hung\n", _cycle);
            std::abort();
        }
        const auto wake = _cycle >= 0 ? _deadline : std::chrono::steady_clock::now() + _limit;
        _changed.wait_until(lock, wake);
    }
}

}  // namespace qrc::test
