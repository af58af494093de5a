#include "status.h"

#include <cstdio>
#include <thread>

#include <fmt/format.h>
#include <fmt/ranges.h>

namespace sandbox {

StatusLine::StatusLine(const std::vector<Card>& cards, const TapRecorder& taps)
    : _cards(cards), _taps(taps), _lastPasses(cards.size(), 0) {}

void StatusLine::runFor(std::chrono::steady_clock::time_point start, double seconds) {
    const auto end =
        start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
    for (int second = 1;; ++second) {
        const auto next = start + std::chrono::seconds(second);
        if (next > end) break;
        std::this_thread::sleep_until(next);
        print(second);
    }
    std::this_thread::sleep_until(end);
}

void StatusLine::print(int second) {
    std::vector<std::string> parts;
    for (size_t i = 0; i < _cards.size(); ++i) {
        const Card& card = _cards[i];
        const uint64_t passes = card.facade->renders();
        parts.push_back(fmt::format("{} {:>3}/s missed {:<4} taps {:<6}", card.shortName(), passes - _lastPasses[i],
                                    card.facade->vblank().missed(), _taps.count(card.layerIds())));
        _lastPasses[i] = passes;
    }
    fmt::print("[{:>3} s] {}\n", second, fmt::join(parts, "| "));
    std::fflush(stdout);
}

}  // namespace sandbox
