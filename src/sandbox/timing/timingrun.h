#pragma once
// The host's timing recorder in a run of the cards: attached to the services before
// the run, and its picture and trace written after it.
#include <chrono>
#include <filesystem>
#include <vector>

#include "cards.h"
#include "options.h"
#include "qorvasim/host.h"
#include "qorvasim/timing.h"
#include "report.h"

namespace sandbox {

// Card i of `cards` becomes the recorder's card i; null detaches it again.
void attachRecorder(qorva::sim::SimHost& host, const std::vector<Card>& cards, qorva::sim::TimingRecorder* recorder);

// frame-timing.png from `csv` (if it was written), and with --trace trace.json;
// prints what was written and what could not be.
void writeTimingOutputs(const qorva::sim::TimingRecorder& recorder, const Report& report, const Options& options,
                        const std::filesystem::path& csv, bool csvWritten, std::chrono::steady_clock::time_point start);

}  // namespace sandbox
