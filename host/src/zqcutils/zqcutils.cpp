#include "qorvahost/zqcutils.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "qorvahost/zqcutils_control.h"

namespace {

std::atomic<bool> manualClock{false};
std::atomic<uint64_t> manualNowMs{0};
std::atomic<zqcutils::control::SleepHook> sleepHook{nullptr};

uint64_t realNowMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

uint64_t getLocalTimeMs() { return manualClock ? manualNowMs.load() : realNowMs(); }

void zqSleep(unsigned int ms) {
    if (auto hook = sleepHook.load()) {
        hook(ms);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

namespace zqcutils::control {

void setManualTimeMs(uint64_t nowMs) {
    manualNowMs = nowMs;
    manualClock = true;
}

void advanceTimeMs(uint64_t deltaMs) { manualNowMs += deltaMs; }

void useRealTime() { manualClock = false; }

void setSleepHook(SleepHook hook) { sleepHook = hook; }

}  // namespace zqcutils::control
