#pragma once
// The failover timeline: what the nodes noticed after a moment (the kill of the
// master, the restart of a node), in time order, measured from that moment.
#include <cstdint>
#include <string>
#include <vector>

#include "launcher.h"

namespace sandbox {

struct TimelineEntry {
    int64_t ms = 0;  // since the moment
    std::string node;
    std::string what;
};

class Timeline {
public:
    explicit Timeline(int64_t fromMs) : _fromMs(fromMs) {}

    void add(int64_t atMs, const std::string& node, const std::string& what);
    // The events of the nodes from the moment on whose text contains one of `marks`.
    void addEvents(const NodeProcesses& nodes, const std::vector<std::string>& marks);
    // When each node's beacons from `senderIp` began again after the moment; the
    // latest of them, or -1 when a node had none.
    int64_t addFirstBeacons(const NodeProcesses& nodes, const std::vector<int>& at, const std::string& senderIp);
    // The first entry whose text contains `mark` (at `node`, unless empty), or -1.
    int64_t first(const std::string& mark, const std::string& node = {}) const;

    void print(const std::string& title) const;

private:
    const int64_t _fromMs;
    std::vector<TimelineEntry> _entries;
};

// What every node's frame sync object is linked to and whose beacons it receives.
void printLinkTables(const NodeProcesses& nodes, const std::string& when);

}  // namespace sandbox
