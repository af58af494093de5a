// The sandbox host: runs the render control library on the simulated host and
// reports what it saw.
#include <cstdio>
#include <exception>
#include <filesystem>

#include <fmt/format.h>

#include "cluster.h"
#include "framesyncmodule.h"
#include "logging.h"
#include "options.h"
#include "scenario.h"
#ifdef QRC_SANDBOX_NODES
#include "chaos.h"
#include "failover.h"
#include "node.h"
#endif

namespace {

int run(const sandbox::Options& options) {
    const std::filesystem::path outDir = std::filesystem::absolute(options.out);
    std::filesystem::create_directories(outDir);
    sandbox::enterProgramFolder();
#ifdef QRC_SANDBOX_NODES
    if (options.nodeIndex >= 0) return sandbox::runNode(options, outDir);
    if (options.chaos > 0) return sandbox::runChaosCommand(options, outDir);
    if (options.processes) return sandbox::runProcessCluster(options, outDir);
#else
    if (options.processes || options.nodeIndex >= 0) {
        fmt::print(stderr, "renderctrl-sandbox: built without ZeroMQ, there is no cluster of processes\n");
        return 1;
    }
#endif
    const sandbox::SandboxLog log(options, outDir);
    std::string verdict;
    if (options.clusterNodes > 0)
        sandbox::runCluster(options.clusterNodes);
    else
        verdict = sandbox::runCards(options, outDir);
    sandbox::printLogCounts(log.counts());
    if (!verdict.empty()) fmt::print("\n{}\n", verdict);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    sandbox::Options options;
    if (const auto exitCode = sandbox::parseOptions(argc, argv, options)) return *exitCode;
    try {
        return run(options);
    } catch (const std::exception& e) {
        fmt::print(stderr, "renderctrl-sandbox: {}\n", e.what());
        return 1;
    }
}
