#pragma once
// Faults a link manager applies to what it receives, for chaos runs: messages from
// some nodes dropped (a partition), a share of all messages dropped at random, and a
// random delay. A fault holds until a time on the machine's steady clock, which all
// node processes share, so both sides of a partition heal at the same moment.
#include <chrono>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace qorva::sim {

struct LinkFault {
    int64_t untilMs = 0;               // steady clock ms; the fault ends then
    std::vector<std::string> blocked;  // senders whose messages are all dropped
    double loss = 0.0;                 // share of the other messages dropped
    int maxDelayMs = 0;                // each kept message waits 0..maxDelayMs
};

// The frames of a fault message ("ft" first) and back; nullopt when malformed.
std::vector<std::string> faultMessage(const LinkFault& fault);
std::optional<LinkFault> parseFaultMessage(const std::vector<std::string>& frames);

class LinkFaults {
public:
    using Clock = std::chrono::steady_clock;

    explicit LinkFaults(uint64_t seed) : _random(seed) {}

    // Replaces the fault in force.
    void set(const LinkFault& fault) { _fault = fault; }
    // For a message from `sender` arriving now: nullopt to drop it, else when to handle it.
    std::optional<Clock::time_point> admit(const std::string& sender, Clock::time_point now);

private:
    LinkFault _fault;
    std::mt19937_64 _random;
};

int64_t steadyMs(std::chrono::steady_clock::time_point time);

}  // namespace qorva::sim
