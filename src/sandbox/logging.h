#pragma once
// The library's log: a file in the output folder (or standard error), installed in
// the host logging wrapper before anything is wired, and counted by level.
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include <spdlog/logger.h>

#include "options.h"

namespace sandbox {

struct LogCounts {
    std::string destination;  // the file, or "standard error"
    std::array<uint64_t, spdlog::level::n_levels> perLevel{};
};

class LogCounter;

class SandboxLog {
public:
    // Throws std::runtime_error when the log file cannot be opened.
    SandboxLog(const Options& options, const std::filesystem::path& outDir);
    // Flushes; the logger stays installed for the threads that still end.
    ~SandboxLog();
    SandboxLog(const SandboxLog&) = delete;
    SandboxLog& operator=(const SandboxLog&) = delete;

    LogCounts counts() const;

private:
    std::string _destination;
    std::shared_ptr<LogCounter> _counter;
    std::shared_ptr<spdlog::logger> _logger;
};

void printLogCounts(const LogCounts& counts);

}  // namespace sandbox
