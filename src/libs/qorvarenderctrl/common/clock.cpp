// The clock seam shared by every platform.
#include <atomic>
#include <chrono>

#include "common/platform.h"
#include "common/platform_native.h"

namespace qorva::renderctrl::platform {

namespace {

struct Override {
    std::atomic<bool> active{false};
    std::atomic<int64_t> value{0};

    void set(std::optional<int64_t> v) {
        value = v.value_or(0);
        active = v.has_value();
    }
};

Override wallOverride;
Override steadyOverride;

}  // namespace

int64_t wallClockSeconds() { return wallOverride.active ? wallOverride.value.load() : native::systemSeconds(); }

int64_t steadyNanoseconds() {
    if (steadyOverride.active) return steadyOverride.value;
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

namespace testing {
void setWallClockSeconds(std::optional<int64_t> seconds) { wallOverride.set(seconds); }
void setSteadyNanoseconds(std::optional<int64_t> nanoseconds) { steadyOverride.set(nanoseconds); }
}  // namespace testing

}  // namespace qorva::renderctrl::platform
