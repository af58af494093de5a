#pragma once
// trace.json: the host calls of every pass as Chrome trace events ("ph":"X"), one
// track per thread (each card's render thread, the frame sync thread, the input
// source thread). Opens in Perfetto's UI or chrome://tracing.
#include <chrono>
#include <filesystem>
#include <string>

#include "qorvasim/timing.h"

namespace sandbox {

// Writes the recorder's spans with times since `start`; false (and `error` says why)
// when the file cannot be written.
bool writeTrace(const qorva::sim::TimingRecorder& recorder, const std::filesystem::path& path,
                std::chrono::steady_clock::time_point start, std::string& error);

}  // namespace sandbox
