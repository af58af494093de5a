#include "logging.h"

#include <mutex>
#include <stdexcept>

#include <fmt/format.h>
#include <spdlog/sinks/base_sink.h>
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/sinks/stdout_sinks.h>
#include <spdlog/spdlog.h>

#include "qorvahost/jtspdlog.h"

namespace sandbox {

// Counts the lines that pass the logger's level, per level.
class LogCounter : public spdlog::sinks::base_sink<std::mutex> {
public:
    std::array<uint64_t, spdlog::level::n_levels> counts() {
        std::lock_guard lock(mutex_);
        return _counts;
    }

protected:
    void sink_it_(const spdlog::details::log_msg& msg) override { ++_counts[static_cast<size_t>(msg.level)]; }
    void flush_() override {}

private:
    std::array<uint64_t, spdlog::level::n_levels> _counts{};
};

namespace {

std::shared_ptr<spdlog::sinks::sink> openSink(const Options& options, const std::filesystem::path& outDir,
                                              std::string& destination) {
    if (options.logStderr) {
        destination = "standard error";
        return std::make_shared<spdlog::sinks::stderr_sink_mt>();
    }
    const auto path = outDir / "renderctrl.log";
    destination = path.string();
    try {
        return std::make_shared<spdlog::sinks::basic_file_sink_mt>(destination, true);
    } catch (const spdlog::spdlog_ex& e) {
        throw std::runtime_error(fmt::format("cannot open the log: {}", e.what()));
    }
}

}  // namespace

SandboxLog::SandboxLog(const Options& options, const std::filesystem::path& outDir)
    : _counter(std::make_shared<LogCounter>()) {
    auto sink = openSink(options, outDir, _destination);
    _logger = std::make_shared<spdlog::logger>("qorva", spdlog::sinks_init_list{sink, _counter});
    _logger->set_level(options.logLevel);
    JT::SpdlogApplication::instance().setLogger(_logger);
}

SandboxLog::~SandboxLog() { _logger->flush(); }

LogCounts SandboxLog::counts() const { return {_destination, _counter->counts()}; }

void printLogCounts(const LogCounts& counts) {
    uint64_t total = 0;
    for (uint64_t n : counts.perLevel) total += n;
    fmt::print("\nlibrary log: {} ({} lines: {} info, {} warnings, {} errors)\n", counts.destination, total,
               counts.perLevel[spdlog::level::info], counts.perLevel[spdlog::level::warn],
               counts.perLevel[spdlog::level::err] + counts.perLevel[spdlog::level::critical]);
}

}  // namespace sandbox
