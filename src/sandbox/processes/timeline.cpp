#include "timeline.h"

#include <algorithm>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "roles.h"

namespace sandbox {

namespace {

std::string beaconsText(const NodeReport& report) {
    std::vector<std::string> parts;
    for (const auto& from : report.beacons)
        parts.push_back(fmt::format("{} x{}{}", from.ip, from.count, report.receivesFrom(from.ip) ? "" : " (stopped)"));
    return parts.empty() ? std::string("-") : fmt::format("{}", fmt::join(parts, ", "));
}

}  // namespace

void Timeline::add(int64_t atMs, const std::string& node, const std::string& what) {
    _entries.push_back({atMs - _fromMs, node, what});
}

void Timeline::addEvents(const NodeProcesses& nodes, const std::vector<std::string>& marks) {
    for (const auto& event : nodes.events()) {
        if (event.ms < _fromMs) continue;
        for (const auto& mark : marks)
            if (event.text.find(mark) != std::string::npos) {
                add(event.ms, nodes.node(event.node).ip, event.text);
                break;
            }
    }
}

int64_t Timeline::addFirstBeacons(const NodeProcesses& nodes, const std::vector<int>& at, const std::string& senderIp) {
    int64_t latest = 0;
    for (const int index : at) {
        const auto* from = nodes.node(index).last.beaconsFrom(senderIp);
        if (!from || from->sinceMs < _fromMs) return -1;
        add(from->sinceMs, nodes.node(index).ip, fmt::format("first beacon from {}", senderIp));
        latest = std::max(latest, from->sinceMs - _fromMs);
    }
    return latest;
}

int64_t Timeline::first(const std::string& mark, const std::string& node) const {
    int64_t first = -1;
    for (const auto& entry : _entries)
        if (entry.what.find(mark) != std::string::npos && (node.empty() || entry.node == node) &&
            (first < 0 || entry.ms < first))
            first = entry.ms;
    return first;
}

void Timeline::print(const std::string& title) const {
    auto sorted = _entries;
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.ms < b.ms; });
    fmt::print("\n{}\n", title);
    for (const auto& entry : sorted) fmt::print("  {:>+7} ms  {:<10} {}\n", entry.ms, entry.node, entry.what);
}

void printLinkTables(const NodeProcesses& nodes, const std::string& when) {
    fmt::print("\nLink tables {} (frame sync links; beacons received, by sender):\n", when);
    for (int i = 0; i < nodes.count(); ++i) {
        const auto& node = nodes.node(i);
        if (!node.running) {
            fmt::print("  {:<10} down\n", node.ip);
            continue;
        }
        const auto& last = nodes.node(i).last;
        fmt::print("  {:<10} {:<14} port {:<6} linked to: {}\n", node.ip,
                   node.paused ? std::string("(stopped)") : roleName(last.role), node.netPort,
                   last.links.empty() ? std::string("-") : fmt::format("{}", fmt::join(last.links, " ")));
        fmt::print("  {:<10} {:<14} {:<11} beacons:   {}\n", "", "", "", beaconsText(last));
    }
}

}  // namespace sandbox
