#include "convergence.h"

#include <algorithm>

#include <fmt/format.h>
#include <fmt/ranges.h>

namespace sandbox {

namespace {

std::optional<std::string> linkFault(const PresentNode& master, const std::vector<PresentNode>& nodes) {
    std::vector<std::string> expected, linked;
    for (const auto& node : nodes)
        if (node.ip != master.ip) expected.push_back(fmt::format("{}:{}", node.ip, node.netPort));
    for (const auto& target : master.report->links)
        if (target.rfind(master.ip + ":", 0) != 0) linked.push_back(target);
    std::sort(expected.begin(), expected.end());
    std::sort(linked.begin(), linked.end());
    if (linked == expected) return std::nullopt;
    return fmt::format("master {} linked to [{}], not [{}]", master.ip, fmt::join(linked, " "),
                       fmt::join(expected, " "));
}

std::optional<std::string> beaconFault(const PresentNode& node, const std::string& master) {
    if (node.ip != master && !node.report->receivesFrom(master))
        return fmt::format("{} receives no beacons from the master", node.ip);
    for (const auto& from : node.report->beacons)
        if (from.ip != master && node.report->receivesFrom(from.ip))
            return fmt::format("{} receives beacons from {}", node.ip, from.ip);
    return std::nullopt;
}

}  // namespace

std::optional<std::string> convergenceFault(const std::vector<PresentNode>& nodes) {
    std::vector<const PresentNode*> masters;
    for (const auto& node : nodes)
        if (node.report->role == 0) masters.push_back(&node);
    if (masters.size() != 1) return fmt::format("{} masters", masters.size());
    if (auto fault = linkFault(*masters[0], nodes)) return fault;
    for (const auto& node : nodes)
        if (auto fault = beaconFault(node, masters[0]->ip)) return fault;
    return std::nullopt;
}

}  // namespace sandbox
