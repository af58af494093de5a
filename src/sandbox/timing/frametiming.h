#pragma once
// The frame timing of a run, from the host's timing recorder: every pass goes to
// frame-timing.csv; per report period a line with resident memory, threads, and per
// card the pass duration p50 / p99 / max and the blanks missed; at the end a verdict
// on the first and the last tenth of the run.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "qorvasim/timing.h"

namespace sandbox {

// Duration percentiles of a set of passes, in milliseconds.
struct DurationStats {
    double p50 = 0.0;
    double p99 = 0.0;
    double max = 0.0;
};
DurationStats durationStats(std::vector<double> durationsMs);

class FrameTiming {
public:
    FrameTiming(qorva::sim::TimingRecorder& recorder, std::filesystem::path csv,
                std::chrono::steady_clock::time_point start, double runSeconds);

    // Takes the passes recorded since the last call (call it about once a second).
    void collect();
    // The report line of the passes collected since the last one.
    void printPeriod();
    // Collects the rest and closes the file.
    void finish();
    // The run's last line: resident memory and pass duration p99 of the first and the
    // last tenth of the run, and whether either grew by more than 10 %.
    std::string verdict() const;

    const std::filesystem::path& csv() const { return _csvPath; }
    bool csvWritten() const { return _csvOk; }

private:
    // The first or the last tenth of the run.
    struct Tenth {
        std::vector<double> durationsMs;
        uint64_t maxResidentBytes = 0;
    };
    double secondsSinceStart(std::chrono::steady_clock::time_point t) const;
    void write(const qorva::sim::PassTiming& pass);
    void sampleMemory();
    Tenth* tenthAt(double seconds);

    qorva::sim::TimingRecorder& _recorder;
    const std::filesystem::path _csvPath;
    const std::chrono::steady_clock::time_point _start;
    const double _runSeconds;
    std::ofstream _csv;
    bool _csvOk = false;
    std::vector<std::vector<double>> _periodDurationsMs;  // per card
    std::vector<uint64_t> _periodMissed;                  // per card
    std::chrono::steady_clock::time_point _periodStart;
    Tenth _first;
    Tenth _last;
};

}  // namespace sandbox
