#include "support/logcapture.h"

#include <algorithm>

#include <spdlog/sinks/base_sink.h>

#include "qorvahost/jtspdlog.h"

namespace qrc::test {

struct LogCapture::Sink : spdlog::sinks::base_sink<std::mutex> {
    mutable std::mutex recordsMutex;
    mutable std::condition_variable logged;
    std::vector<LogRecord> records;

protected:
    void sink_it_(const spdlog::details::log_msg& msg) override {
        LogRecord record;
        record.level = static_cast<int>(msg.level);
        record.line.assign(msg.payload.data(), msg.payload.size());
        record.message = record.line.substr(0, record.line.find(" \n //"));
        {
            std::lock_guard lock(recordsMutex);
            records.push_back(std::move(record));
        }
        logged.notify_all();
    }
    void flush_() override {}
};

LogCapture::LogCapture(int minLevel) : _sink(std::make_shared<Sink>()) {
    auto logger = std::make_shared<spdlog::logger>("capture", _sink);
    logger->set_level(static_cast<spdlog::level::level_enum>(minLevel));
    _previous = JT::SpdlogApplication::instance().logger();
    JT::SpdlogApplication::instance().setLogger(logger);
}

LogCapture::~LogCapture() { JT::SpdlogApplication::instance().setLogger(_previous); }

std::vector<LogRecord> LogCapture::records() const {
    std::lock_guard lock(_sink->recordsMutex);
    return _sink->records;
}

std::vector<std::string> LogCapture::messages() const {
    std::vector<std::string> out;
    for (const auto& r : records()) out.push_back(r.message);
    return out;
}

std::vector<std::string> LogCapture::messagesStartingWith(std::initializer_list<std::string_view> prefixes) const {
    std::vector<std::string> out;
    for (const auto& m : messages())
        if (std::any_of(prefixes.begin(), prefixes.end(), [&](std::string_view p) { return m.rfind(p, 0) == 0; }))
            out.push_back(m);
    return out;
}

size_t LogCapture::count(int level, const std::string& message) const {
    const auto all = records();
    return static_cast<size_t>(std::count_if(
        all.begin(), all.end(), [&](const LogRecord& r) { return r.level == level && r.message == message; }));
}

size_t LogCapture::size() const {
    std::lock_guard lock(_sink->recordsMutex);
    return _sink->records.size();
}

void LogCapture::clear() {
    std::lock_guard lock(_sink->recordsMutex);
    _sink->records.clear();
}

bool LogCapture::waitFor(int level, const std::string& message, size_t wanted,
                         std::chrono::milliseconds timeout) const {
    std::unique_lock lock(_sink->recordsMutex);
    return _sink->logged.wait_for(lock, timeout, [&] {
        return static_cast<size_t>(std::count_if(_sink->records.begin(), _sink->records.end(), [&](const LogRecord& r) {
                   return r.level == level && r.message == message;
               })) >= wanted;
    });
}

}  // namespace qrc::test
