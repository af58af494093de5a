#pragma once
// The sandbox's default scenario: a simulated host with display cards, players,
// input sources and an editing script, driven by the render control library the way
// a host wires it.
#include <filesystem>
#include <string>

#include "options.h"

namespace sandbox {

// Prints a status line per second and the summary, and writes the contact sheet and
// the frame timing into `outDir`; returns the run's verdict line. Throws
// std::runtime_error when the sheet cannot be written.
std::string runCards(const Options& options, const std::filesystem::path& outDir);

}  // namespace sandbox
