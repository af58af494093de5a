#pragma once
// The sandbox's default scenario: a simulated host with display cards, players,
// input sources and an editing script, driven by the render control library the way
// a host wires it.
#include <filesystem>

#include "options.h"

namespace sandbox {

// Prints a status line per second and the summary, and writes the contact sheet
// into `outDir`. Throws std::runtime_error when the sheet cannot be written.
void runCards(const Options& options, const std::filesystem::path& outDir);

}  // namespace sandbox
