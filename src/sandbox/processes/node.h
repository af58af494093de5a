#pragma once
// The sandbox's node mode: one playout node of a cluster of processes. It has a
// manager with one display card that the frame sync stand-in drives, a cluster link,
// a runtime with real timers and the link manager over ZeroMQ. It reports to its
// launcher on standard output and ends cleanly on SIGTERM or SIGINT.
#include <filesystem>
#include <string>

#include "options.h"

namespace sandbox {

// Runs node options.nodeIndex of options.clusterNodes until it is told to end;
// returns the exit code.
int runNode(const Options& options, const std::filesystem::path& outDir);

}  // namespace sandbox
