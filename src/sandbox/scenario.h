#pragma once
// The sandbox's scenario: a simulated host with display cards and players, driven by
// the render control library the way a host wires it.
#include <cstdint>
#include <string>
#include <vector>

#include "taps.h"
#include "inputs.h"
#include "editing.h"

namespace sandbox {

struct Options {
    double seconds = 15.0;
    std::string out = "out/sandbox";
};

struct CardReport {
    std::string card;
    std::string driver;
    uint64_t renders = 0;
    uint64_t endFrames = 0;
    uint64_t vblankWaits = 0;
    uint64_t missedVBlanks = 0;
};

struct Report {
    double seconds = 0.0;
    std::vector<CardReport> cards;
    TapReport taps;
    InputsReport inputs;
    EditingReport editing;
};

Report runScenario(const Options& options);
void printReport(const Report& report);

}  // namespace sandbox
