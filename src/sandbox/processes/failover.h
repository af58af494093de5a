#pragma once
// The failover run over node processes: the cluster forms, bad input reaches every
// node, the master is killed, the backup takes over, the killed node comes back as a
// slave. Prints the timeline and each phase's link tables; returns what it measured.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "options.h"

namespace sandbox {

struct FailoverOptions {
    std::string executable;  // the sandbox, run in its node mode
    int nodes = 4;
    std::filesystem::path outDir;
    std::string logLevel = "info";
};

struct NodeOutcome {
    std::string ip;
    int role = 4;
    int netPort = 0;
    std::vector<std::string> links;          // "ip:port"
    std::vector<std::string> receivingFrom;  // IPs whose beacons still arrive
    int exitCode = -1;                       // after SIGTERM
};

struct FailoverResult {
    bool formed = false;
    bool failedOver = false;
    bool rejoined = false;
    int badInputNoticed = 0;  // bad input events the nodes logged
    bool tableRejected = false;
    int64_t detectionMs = -1;        // kill -> the first node noticed the silence
    int64_t promotedMs = -1;         // kill -> the backup became master
    int64_t restoreMs = -1;          // kill -> its restore timer fired
    int64_t failoverMs = -1;         // kill -> beacons from the new master at every survivor
    int64_t rejoinReadyMs = -1;      // restart -> the node's process is up
    int64_t rejoinMs = -1;           // restart -> beacons from the master at the rejoined node
    std::vector<NodeOutcome> final;  // after the rejoin, by node index
    bool allEndedCleanly = false;
};

FailoverResult runFailover(const FailoverOptions& options);

// `--cluster N --processes`: the failover run with this executable's node mode;
// the exit code.
int runProcessCluster(const Options& options, const std::filesystem::path& outDir);

}  // namespace sandbox
