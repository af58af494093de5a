#pragma once
// Host side of the utility library stand-in: drive its clock and watch its sleeps,
// so that tests never wait for real time.
#include <cstdint>

#include "qorvahost/export.h"

namespace zqcutils::control {

// From now on getLocalTimeMs() reports `nowMs` until it is advanced or reset.
ZQCUTILS_API void setManualTimeMs(uint64_t nowMs);
ZQCUTILS_API void advanceTimeMs(uint64_t deltaMs);
// Back to the real millisecond clock.
ZQCUTILS_API void useRealTime();

// A hook called by zqSleep instead of sleeping; null restores real sleeps.
using SleepHook = void (*)(unsigned int ms);
ZQCUTILS_API void setSleepHook(SleepHook hook);

}  // namespace zqcutils::control
