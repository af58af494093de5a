#pragma once
// The status line printed once a second while the cards run: per card the passes of
// the last second, the vertical blanks missed so far and the taps delivered so far.
#include <chrono>
#include <cstdint>
#include <vector>

#include "cards.h"
#include "taps.h"

namespace sandbox {

class StatusLine {
public:
    StatusLine(const std::vector<Card>& cards, const TapRecorder& taps);

    // Prints a line at every whole second after `start` until `seconds` have passed.
    void runFor(std::chrono::steady_clock::time_point start, double seconds);

private:
    void print(int second);

    const std::vector<Card>& _cards;
    const TapRecorder& _taps;
    std::vector<uint64_t> _lastPasses;
};

}  // namespace sandbox
