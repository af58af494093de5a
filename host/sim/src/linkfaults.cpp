#include "qorvasim/linkfaults.h"

#include <algorithm>
#include <charconv>

namespace qorva::sim {

namespace {

const std::string kFault = "ft";

template <typename T>
std::optional<T> parseNumber(const std::string& text) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

int64_t steadyMs(std::chrono::steady_clock::time_point time) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

// "ft" | until ms | loss in permille | max delay ms | blocked IP...
std::vector<std::string> faultMessage(const LinkFault& fault) {
    std::vector<std::string> frames = {kFault, std::to_string(fault.untilMs),
                                       std::to_string(static_cast<int>(fault.loss * 1000.0 + 0.5)),
                                       std::to_string(fault.maxDelayMs)};
    frames.insert(frames.end(), fault.blocked.begin(), fault.blocked.end());
    return frames;
}

std::optional<LinkFault> parseFaultMessage(const std::vector<std::string>& frames) {
    if (frames.size() < 4 || frames[0] != kFault) return std::nullopt;
    const auto until = parseNumber<int64_t>(frames[1]);
    const auto permille = parseNumber<int>(frames[2]);
    const auto delay = parseNumber<int>(frames[3]);
    if (!until || !permille || !delay || *permille < 0 || *permille > 1000 || *delay < 0 || *delay > 10000)
        return std::nullopt;
    return LinkFault{.untilMs = *until,
                     .blocked = {frames.begin() + 4, frames.end()},
                     .loss = *permille / 1000.0,
                     .maxDelayMs = *delay};
}

std::optional<LinkFaults::Clock::time_point> LinkFaults::admit(const std::string& sender, Clock::time_point now) {
    if (steadyMs(now) >= _fault.untilMs) return now;
    if (std::find(_fault.blocked.begin(), _fault.blocked.end(), sender) != _fault.blocked.end()) return std::nullopt;
    if (std::uniform_real_distribution<double>(0.0, 1.0)(_random) < _fault.loss) return std::nullopt;
    if (_fault.maxDelayMs <= 0) return now;
    return now + std::chrono::milliseconds(std::uniform_int_distribution<int>(0, _fault.maxDelayMs)(_random));
}

}  // namespace qorva::sim
