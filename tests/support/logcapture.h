#pragma once
// Captures the process log for a test: installs a logger with a recording sink in
// the logging wrapper and puts the previous one back when it goes.
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include <spdlog/logger.h>

namespace qrc::test {

struct LogRecord {
    int level = 0;
    std::string line;     // the whole line as logged
    std::string message;  // the line up to its location suffix
};

class LogCapture {
public:
    // Captures the lines at `minLevel` and above (spdlog's numeric levels); the others
    // are dropped, which keeps bulk runs cheap.
    explicit LogCapture(int minLevel = 0);
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<LogRecord> records() const;
    std::vector<std::string> messages() const;
    // The messages that start with one of `prefixes`, in order.
    std::vector<std::string> messagesStartingWith(std::initializer_list<std::string_view> prefixes) const;
    // How many lines carry exactly this message at this level.
    size_t count(int level, const std::string& message) const;
    bool contains(int level, const std::string& message) const { return count(level, message) > 0; }
    size_t size() const;
    void clear();
    // Waits until `count` lines with this message were logged; false on timeout.
    bool waitFor(int level, const std::string& message, size_t count = 1,
                 std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;

    struct Sink;

private:
    std::shared_ptr<Sink> _sink;
    std::shared_ptr<spdlog::logger> _previous;
};

}  // namespace qrc::test
