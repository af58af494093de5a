#include "status.h"

#include <cstdio>
#include <thread>

#include <fmt/format.h>
#include <fmt/ranges.h>

namespace sandbox {

StatusLine::StatusLine(const std::vector<Card>& cards, const TapRecorder& taps,
                       const qorva::sim::TimingRecorder& recorder, FrameTiming& timing)
    : _cards(cards), _taps(taps), _recorder(recorder), _timing(timing), _lastPasses(cards.size(), 0) {}

void StatusLine::runFor(std::chrono::steady_clock::time_point start, double seconds, StatusSchedule schedule) {
    const auto end =
        start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
    int lastReport = 0;
    for (int second = 1;; ++second) {
        const auto next = start + std::chrono::seconds(second);
        if (next > end) break;
        std::this_thread::sleep_until(next);
        _timing.collect();
        if (schedule.perSecond) print(second);
        if (schedule.reportEvery > 0 && second % schedule.reportEvery == 0) {
            _timing.printPeriod();
            lastReport = second;
        }
    }
    std::this_thread::sleep_until(end);
    _timing.collect();
    // The passes after the last whole period get a line of their own.
    if (schedule.reportEvery > 0 && seconds - lastReport >= 1.0) _timing.printPeriod();
}

void StatusLine::print(int second) {
    std::vector<std::string> parts;
    for (size_t i = 0; i < _cards.size(); ++i) {
        const Card& card = _cards[i];
        const uint64_t passes = card.facade->renders();
        parts.push_back(fmt::format("{} {:>3}/s missed {:<4} taps {:<6}", card.shortName(), passes - _lastPasses[i],
                                    _recorder.missed(static_cast<uint32_t>(i)), _taps.count(card.layerIds())));
        _lastPasses[i] = passes;
    }
    fmt::print("[{:>3} s] {}\n", second, fmt::join(parts, "| "));
    std::fflush(stdout);
}

}  // namespace sandbox
