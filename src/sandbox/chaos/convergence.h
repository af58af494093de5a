#pragma once
// Whether a cluster of node processes has found its way back, judged on the wire:
// exactly one master among the present nodes; every present node receives beacons
// from that master and from no other node; the master's frame sync object is linked
// to the current port of every other present node and to no other node. The master's
// own port is left out: the restore links it, the next node change dislinks it.
#include <optional>
#include <string>
#include <vector>

#include "nodereport.h"

namespace sandbox {

struct PresentNode {
    std::string ip;
    int netPort = 0;
    const NodeReport* report = nullptr;
};

// Empty when converged, else what is wrong.
std::optional<std::string> convergenceFault(const std::vector<PresentNode>& nodes);

}  // namespace sandbox
