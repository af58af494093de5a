#pragma once
// Test clocks: while one lives, the host's millisecond clock and the library's
// wall-clock seconds stand still until the test moves them.
#include <cstdint>

#include "common/platform.h"
#include "qorvahost/zqcutils_control.h"

namespace qrc::test {

class ManualClocks {
public:
    explicit ManualClocks(int64_t wallSeconds = 1'000'000, uint64_t localMs = 5'000'000) {
        qorva::renderctrl::platform::testing::setWallClockSeconds(wallSeconds);
        zqcutils::control::setManualTimeMs(localMs);
    }
    ~ManualClocks() {
        qorva::renderctrl::platform::testing::setWallClockSeconds(std::nullopt);
        zqcutils::control::useRealTime();
    }
    ManualClocks(const ManualClocks&) = delete;
    ManualClocks& operator=(const ManualClocks&) = delete;

    void setWallSeconds(int64_t seconds) { qorva::renderctrl::platform::testing::setWallClockSeconds(seconds); }
    void advanceMs(uint64_t ms) { zqcutils::control::advanceTimeMs(ms); }
};

}  // namespace qrc::test
