#pragma once
// While a SleepHookScope lives, zqSleep hands its sleeps to the hook instead of
// sleeping. It restores real sleeps when it goes, also when a test fails early: the
// Windows build runs a whole test executable in one process.
#include "qorvahost/zqcutils_control.h"

namespace qrc::test {

class SleepHookScope {
public:
    explicit SleepHookScope(zqcutils::control::SleepHook hook) { zqcutils::control::setSleepHook(hook); }
    ~SleepHookScope() { zqcutils::control::setSleepHook(nullptr); }
    SleepHookScope(const SleepHookScope&) = delete;
    SleepHookScope& operator=(const SleepHookScope&) = delete;
};

}  // namespace qrc::test
