#pragma once
// The sandbox's command line.
#include <optional>
#include <string>

#include <spdlog/common.h>

namespace sandbox {

struct Options {
    double seconds = 15.0;
    int cards = 3;
    int players = 2;  // per card
    std::string out = "out/sandbox";
    int clusterNodes = 0;    // above 0: the cluster scenario instead of the cards
    bool processes = false;  // the cluster as node processes over ZeroMQ
    int nodeIndex = -1;      // 0 or more: this process is that node of the cluster
    int clusterPort = 0;     // the port the nodes' link managers listen on
    spdlog::level::level_enum logLevel = spdlog::level::info;
    bool logStderr = false;
};

// The options, or the exit code when the program ends here (--help, a bad option);
// what to say has been printed.
std::optional<int> parseOptions(int argc, char** argv, Options& options);

}  // namespace sandbox
