#pragma once
// The sandbox's command line.
#include <cstdint>
#include <optional>
#include <string>

#include <spdlog/common.h>

namespace sandbox {

struct Options {
    double seconds = 15.0;
    int reportEvery = 0;  // seconds; 0: no period reports (the default up to 5 minutes)
    bool trace = false;   // write trace.json
    int cards = 3;
    int players = 2;  // per card
    std::string out = "out/sandbox";
    std::string program;        // as started (argv[0])
    int clusterNodes = 0;       // above 0: the cluster scenario instead of the cards
    bool processes = false;     // the cluster as node processes over ZeroMQ
    int nodeIndex = -1;         // 0 or more: this process is that node of the cluster
    int clusterPort = 0;        // the port the nodes' link managers listen on
    int chaos = 0;              // above 0: that many random fault schedules over the node processes
    uint64_t seed = 1;          // of the chaos schedules
    bool noDuties = false;      // the link managers without their duties (to show what fails)
    bool acceptFaults = false;  // node mode: the link manager obeys fault messages
    spdlog::level::level_enum logLevel = spdlog::level::info;
    bool logStderr = false;
};

// Runs longer than this report every kLongRunReportSeconds unless told otherwise, and
// print no per-second line.
constexpr double kLongRunSeconds = 300.0;
constexpr int kLongRunReportSeconds = 60;

// The options, or the exit code when the program ends here (--help, a bad option);
// what to say has been printed.
std::optional<int> parseOptions(int argc, char** argv, Options& options);

}  // namespace sandbox
