#pragma once
// What a node process tells its launcher, one line each on its standard output:
//   ready <ip> <startMs>
//   ev <ms> <text>                                  something the node noticed
//   state <ms> <role> <links> <beacons> <missed>    what it is linked to, what it receives,
//                                                   the blanks its card missed so far
//   bye                                             ended cleanly
// Times are ms on the machine's steady clock, which every process shares.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "qorvasim/framesynclinks.h"

namespace sandbox {

struct NodeReport {
    int64_t atMs = 0;
    int role = 4;
    std::vector<std::string> links;  // "ip:port"
    std::vector<qorva::sim::BeaconsFrom> beacons;
    uint64_t missedBlanks = 0;

    // Whether beacons from `ip` arrived within `windowMs` before the report.
    bool receivesFrom(const std::string& ip, int64_t windowMs = 250) const;
    const qorva::sim::BeaconsFrom* beaconsFrom(const std::string& ip) const;
};

std::string formatReport(const NodeReport& report);
std::optional<NodeReport> parseReport(const std::string& line);

int64_t steadyNowMs();
// The address of node `index`: 127.0.0.2, 127.0.0.3, ...
std::string nodeIp(int index);

}  // namespace sandbox
