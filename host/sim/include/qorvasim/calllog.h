#pragma once
// A thread-safe record of the calls a simulated host object received, each as a
// text like "addLayer([1,2],7,name)".
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace qorva::sim {

class CallLog {
public:
    void record(std::string call);
    std::vector<std::string> calls() const;
    // Calls whose name (the text before "(") is `name`.
    size_t count(const std::string& name) const;
    size_t size() const;
    void clear();
    bool waitForCount(const std::string& name, size_t count,
                      std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;

private:
    size_t countLocked(const std::string& name) const;

    mutable std::mutex _mutex;
    mutable std::condition_variable _changed;
    std::vector<std::string> _calls;
};

}  // namespace qorva::sim
