#pragma once
// The edge of a library thread that runs host code (a render loop, the input source
// loop, the draw thread, the frame sync library's calls): an exception thrown by a
// host call is logged at error level and goes no further, so the loop goes on and
// nothing crosses into a library built apart. A try block costs nothing until it
// throws.
#include <exception>

#include "qorvahost/zqcutils.h"

namespace qorva::renderctrl {

// Logs "<step> failed: <what>" at error level; never throws.
void logCaught(const char* step, const char* what) noexcept;

// Runs `body`; false when it threw.
template <class Body>
bool catchAtThreadEdge(const char* step, Body&& body) noexcept {
    try {
        body();
        return true;
    } catch (const std::exception& e) {
        logCaught(step, e.what());
    } catch (...) {
        logCaught(step, "unknown exception");
    }
    return false;
}

// A vertical-blank wait whose host call throws is replaced by a frame's pause, so
// that a failing host never makes the thread spin.
template <class Wait>
void waitAtThreadEdge(Wait&& wait) noexcept {
    constexpr unsigned kFramePauseMs = 16;
    if (!catchAtThreadEdge("vertical blank wait", wait)) zqSleep(kFramePauseMs);
}

}  // namespace qorva::renderctrl
