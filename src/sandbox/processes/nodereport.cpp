#include "nodereport.h"

#include <chrono>
#include <sstream>

#include <fmt/format.h>
#include <fmt/ranges.h>

namespace sandbox {

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    if (text == "-") return parts;
    std::istringstream stream(text);
    for (std::string part; std::getline(stream, part, separator);) parts.push_back(part);
    return parts;
}

std::string joinedOrDash(const std::vector<std::string>& parts) {
    return parts.empty() ? std::string("-") : fmt::format("{}", fmt::join(parts, ","));
}

}  // namespace

bool NodeReport::receivesFrom(const std::string& ip, int64_t windowMs) const {
    const auto* from = beaconsFrom(ip);
    return from && from->lastMs >= atMs - windowMs;
}

const qorva::sim::BeaconsFrom* NodeReport::beaconsFrom(const std::string& ip) const {
    for (const auto& from : beacons)
        if (from.ip == ip) return &from;
    return nullptr;
}

std::string formatReport(const NodeReport& report) {
    std::vector<std::string> beacons;
    for (const auto& from : report.beacons)
        beacons.push_back(fmt::format("{}:{}:{}:{}", from.ip, from.count, from.sinceMs, from.lastMs));
    return fmt::format("state {} {} {} {} {}", report.atMs, report.role, joinedOrDash(report.links),
                       joinedOrDash(beacons), report.missedBlanks);
}

std::optional<NodeReport> parseReport(const std::string& line) {
    std::istringstream stream(line);
    std::string word, links, beacons;
    NodeReport report;
    if (!(stream >> word >> report.atMs >> report.role >> links >> beacons >> report.missedBlanks) || word != "state")
        return std::nullopt;
    report.links = split(links, ',');
    for (const auto& text : split(beacons, ',')) {
        const auto fields = split(text, ':');
        if (fields.size() != 4) return std::nullopt;
        report.beacons.push_back({fields[0], std::stoull(fields[1]), std::stoll(fields[2]), std::stoll(fields[3])});
    }
    return report;
}

int64_t steadyNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string nodeIp(int index) { return fmt::format("127.0.0.{}", index + 2); }

}  // namespace sandbox
