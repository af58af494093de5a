#pragma once
// An editing session on the sandbox's host: a dispatch announces a layout, shows it,
// adds a layer and shows and hides a media on it; the manager relays each event.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "qorvasim/host.h"

namespace sandbox {

// How often each operation of the simulated layout manager was called.
struct EditingReport {
    std::vector<std::pair<std::string, size_t>> layoutCalls;
};

// Runs once the manager is wired; the dispatch stays with the host.
EditingReport runEditing(qorva::sim::SimHost& host);
void printEditingReport(const EditingReport& report);

}  // namespace sandbox
