#include <atomic>

#include "qorvahost/tavcore.h"

namespace zq::avcore {

namespace {
std::atomic<double> extClock{0.0};
}

double PlayerGlobalSettings::getExtClock() { return extClock; }
void PlayerGlobalSettings::setExtClock(double clock) { extClock = clock; }

}  // namespace zq::avcore
