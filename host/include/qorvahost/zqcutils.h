#pragma once
// The host utility library (zqcutils): a millisecond clock and a sleep.
#include <cstdint>

#include "qorvahost/export.h"

ZQCUTILS_API uint64_t getLocalTimeMs();
ZQCUTILS_API void zqSleep(unsigned int ms);
