#include <mutex>

#include <spdlog/sinks/stdout_sinks.h>

#include "qorvahost/jtspdlog.h"

namespace JT {

// The logger can be replaced while other threads log: hand out copies under a lock.
struct SpdlogBase::State {
    std::mutex mutex;
    std::shared_ptr<spdlog::logger> logger;
};

SpdlogBase::SpdlogBase() : _state(std::make_unique<State>()) {
    _state->logger = std::make_shared<spdlog::logger>("qorva", std::make_shared<spdlog::sinks::stderr_sink_mt>());
    _state->logger->set_level(spdlog::level::trace);
}

SpdlogBase::~SpdlogBase() = default;

std::shared_ptr<spdlog::logger> SpdlogBase::logger() {
    std::lock_guard lock(_state->mutex);
    return _state->logger;
}

void SpdlogBase::setLogger(std::shared_ptr<spdlog::logger> logger) {
    std::lock_guard lock(_state->mutex);
    _state->logger = std::move(logger);
}

SpdlogApplication& SpdlogApplication::instance() {
    static SpdlogApplication application;
    return application;
}

}  // namespace JT
