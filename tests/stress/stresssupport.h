#pragma once
// What the stress tests need besides the simulated host: their cycle count, the
// process's thread count, and a watchdog for cycles that hang.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace qrc::test {

// QRC_STRESS_CYCLES when it holds a positive number, else `fallback`.
int stressCycles(int fallback);

// The threads of this process as the system lists them (/proc/self/task); nullopt
// on systems without that list.
std::optional<size_t> processThreads();
// A joined thread leaves the list a moment after its join returned: waits up to
// `limit` for the count to come back to `expected`, and returns the last count.
std::optional<size_t> settledThreads(size_t expected, std::chrono::seconds limit);

// Ends the process with a message naming a cycle that takes longer than the limit:
// a thread that hangs cannot be unwound, and CTest would only report a timeout
// without saying where.
class Watchdog {
public:
    // `report` says what hung (by default "stress: cycle <n> hung") before the abort.
    explicit Watchdog(std::chrono::milliseconds limit, std::function<void(int cycle)> report = {});
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    void arm(int cycle);
    void disarm();

private:
    void run();

    const std::chrono::milliseconds _limit;
    const std::function<void(int)> _report;
    std::mutex _mutex;
    std::condition_variable _changed;
    int _cycle = -1;  // -1: disarmed
    std::chrono::steady_clock::time_point _deadline;
    bool _stop = false;
    std::thread _thread;
};

}  // namespace qrc::test
