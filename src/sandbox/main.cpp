// The sandbox host: runs the render control library on the simulated host and
// reports what it saw.
#include <cstdio>
#include <exception>
#include <filesystem>

#include <fmt/format.h>

#include "cluster.h"
#include "logging.h"
#include "options.h"
#include "scenario.h"

namespace {

void run(const sandbox::Options& options) {
    const std::filesystem::path outDir = std::filesystem::absolute(options.out);
    std::filesystem::create_directories(outDir);
    const sandbox::SandboxLog log(options, outDir);
    std::string verdict;
    if (options.clusterNodes > 0)
        sandbox::runCluster(options.clusterNodes);
    else
        verdict = sandbox::runCards(options, outDir);
    sandbox::printLogCounts(log.counts());
    if (!verdict.empty()) fmt::print("\n{}\n", verdict);
}

}  // namespace

int main(int argc, char** argv) {
    sandbox::Options options;
    if (const auto exitCode = sandbox::parseOptions(argc, argv, options)) return *exitCode;
    try {
        run(options);
    } catch (const std::exception& e) {
        fmt::print(stderr, "renderctrl-sandbox: {}\n", e.what());
        return 1;
    }
    return 0;
}
