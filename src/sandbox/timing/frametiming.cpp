#include "frametiming.h"

#include <algorithm>
#include <cstdio>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "procstats.h"

namespace sandbox {

namespace {

constexpr double kGrowthLimit = 0.10;

double ms(std::chrono::steady_clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double megabytes(uint64_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

double growth(double first, double last) { return first > 0.0 ? (last - first) / first : 0.0; }

// The value at fraction `q` of the sorted values (nearest rank).
double at(const std::vector<double>& sorted, double q) {
    if (sorted.empty()) return 0.0;
    const auto rank = static_cast<size_t>(q * static_cast<double>(sorted.size() - 1) + 0.5);
    return sorted[std::min(rank, sorted.size() - 1)];
}

std::string memoryText(const ProcessStats& stats) {
    return stats.known ? fmt::format("rss {:.1f} MB threads {}", megabytes(stats.residentBytes), stats.threads)
                       : std::string("rss ? threads ?");
}

}  // namespace

DurationStats durationStats(std::vector<double> durationsMs) {
    std::sort(durationsMs.begin(), durationsMs.end());
    return {at(durationsMs, 0.50), at(durationsMs, 0.99), durationsMs.empty() ? 0.0 : durationsMs.back()};
}

FrameTiming::FrameTiming(qorva::sim::TimingRecorder& recorder, std::filesystem::path csv,
                         std::chrono::steady_clock::time_point start, double runSeconds)
    : _recorder(recorder),
      _csvPath(std::move(csv)),
      _start(start),
      _runSeconds(runSeconds),
      _csv(_csvPath),
      _periodDurationsMs(recorder.cards()),
      _periodMissed(recorder.cards(), 0),
      _periodStart(start) {
    _csvOk = static_cast<bool>(_csv);
    if (_csvOk)
        _csv << "card,pass,start_ms,duration_ms,interval_ms,missed_blanks\n";
    else
        fmt::print(stderr, "renderctrl-sandbox: cannot write {}\n", _csvPath.string());
}

void FrameTiming::sampleMemory() {
    const ProcessStats stats = processStats();
    Tenth* tenth = tenthAt(secondsSinceStart(std::chrono::steady_clock::now()));
    // A run too short for a sample in its first tenth counts its first sample there.
    if (!tenth && _first.maxResidentBytes == 0) tenth = &_first;
    if (tenth) tenth->maxResidentBytes = std::max(tenth->maxResidentBytes, stats.residentBytes);
}

double FrameTiming::secondsSinceStart(std::chrono::steady_clock::time_point t) const {
    return std::chrono::duration<double>(t - _start).count();
}

FrameTiming::Tenth* FrameTiming::tenthAt(double seconds) {
    if (seconds < _runSeconds / 10.0) return &_first;
    if (seconds >= _runSeconds * 0.9) return &_last;
    return nullptr;
}

void FrameTiming::write(const qorva::sim::PassTiming& pass) {
    if (!_csvOk) return;
    const std::string& text = _recorder.cardText(pass.card);
    _csv << fmt::format("{},{},{:.3f},{:.3f},{:.3f},{}\n", text.substr(0, text.find('(')), pass.pass,
                        ms(pass.start - _start), ms(pass.duration), ms(pass.interval), pass.missed);
}

void FrameTiming::collect() {
    for (uint32_t card = 0; card < _recorder.cards(); ++card) {
        for (const auto& pass : _recorder.takePasses(card)) {
            write(pass);
            _periodDurationsMs[card].push_back(ms(pass.duration));
            _periodMissed[card] += pass.missed;
            if (Tenth* tenth = tenthAt(secondsSinceStart(pass.start))) tenth->durationsMs.push_back(ms(pass.duration));
        }
    }
    sampleMemory();
}

void FrameTiming::printPeriod() {
    const auto now = std::chrono::steady_clock::now();
    std::vector<std::string> parts;
    for (uint32_t card = 0; card < _recorder.cards(); ++card) {
        const std::string& text = _recorder.cardText(card);
        const DurationStats d = durationStats(std::move(_periodDurationsMs[card]));
        parts.push_back(fmt::format("{} p50 {:.2f} p99 {:.2f} max {:.2f} ms missed {}", text.substr(0, text.find('(')),
                                    d.p50, d.p99, d.max, _periodMissed[card]));
        _periodDurationsMs[card].clear();
        _periodMissed[card] = 0;
    }
    fmt::print("[{:>6.0f} s report, {:.0f} s] {} | {}\n", secondsSinceStart(now),
               secondsSinceStart(now) - secondsSinceStart(_periodStart), memoryText(processStats()),
               fmt::join(parts, " | "));
    std::fflush(stdout);
    _periodStart = now;
}

void FrameTiming::finish() {
    collect();
    if (_csvOk) {
        _csv.close();
        _csvOk = static_cast<bool>(_csv);
    }
}

// Resident memory is the most sampled in the tenth; duration p99 over every card's passes.
std::string FrameTiming::verdict() const {
    const double firstRss = megabytes(_first.maxResidentBytes);
    const double lastRss = megabytes(_last.maxResidentBytes);
    const double firstP99 = durationStats(_first.durationsMs).p99;
    const double lastP99 = durationStats(_last.durationsMs).p99;
    const bool rssGrew = growth(firstRss, lastRss) > kGrowthLimit;
    const bool p99Grew = growth(firstP99, lastP99) > kGrowthLimit;
    const char* outcome = rssGrew && p99Grew ? "both grew by more than 10 %"
                          : rssGrew          ? "resident memory grew by more than 10 %"
                          : p99Grew          ? "pass duration p99 grew by more than 10 %"
                                             : "neither grew by more than 10 %";
    return fmt::format(
        "verdict: first tenth / last tenth of {:.0f} s: resident memory {:.1f} / {:.1f} MB ({:+.1f} %), pass "
        "duration p99 {:.3f} / {:.3f} ms ({:+.1f} %): {}",
        _runSeconds, firstRss, lastRss, 100.0 * growth(firstRss, lastRss), firstP99, lastP99,
        100.0 * growth(firstP99, lastP99), outcome);
}

}  // namespace sandbox
