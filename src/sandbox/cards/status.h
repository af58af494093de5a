#pragma once
// The lines printed while the cards run: once a second per card the passes of the
// last second, the vertical blanks missed so far (on the host's clock) and the taps
// delivered so far; and every report period the frame timing's report line.
#include <chrono>
#include <cstdint>
#include <vector>

#include "cards.h"
#include "frametiming.h"
#include "taps.h"

namespace sandbox {

struct StatusSchedule {
    bool perSecond = true;
    int reportEvery = 0;  // seconds; 0: no report lines
};

class StatusLine {
public:
    StatusLine(const std::vector<Card>& cards, const TapRecorder& taps, const qorva::sim::TimingRecorder& recorder,
               FrameTiming& timing);

    // Collects the frame timing at every whole second after `start` until `seconds`
    // have passed, and prints the lines `schedule` asks for.
    void runFor(std::chrono::steady_clock::time_point start, double seconds, StatusSchedule schedule);

private:
    void print(int second);

    const std::vector<Card>& _cards;
    const TapRecorder& _taps;
    const qorva::sim::TimingRecorder& _recorder;
    FrameTiming& _timing;
    std::vector<uint64_t> _lastPasses;
};

}  // namespace sandbox
