#include "qorvasim/calllog.h"

#include <algorithm>

namespace qorva::sim {

void CallLog::record(std::string call) {
    {
        std::lock_guard lock(_mutex);
        _calls.push_back(std::move(call));
    }
    _changed.notify_all();
}

std::vector<std::string> CallLog::calls() const {
    std::lock_guard lock(_mutex);
    return _calls;
}

size_t CallLog::countLocked(const std::string& name) const {
    return static_cast<size_t>(std::count_if(_calls.begin(), _calls.end(), [&](const std::string& call) {
        return call.compare(0, name.size(), name) == 0 && (call.size() == name.size() || call[name.size()] == '(');
    }));
}

size_t CallLog::count(const std::string& name) const {
    std::lock_guard lock(_mutex);
    return countLocked(name);
}

size_t CallLog::size() const {
    std::lock_guard lock(_mutex);
    return _calls.size();
}

void CallLog::clear() {
    std::lock_guard lock(_mutex);
    _calls.clear();
}

bool CallLog::waitForCount(const std::string& name, size_t wanted, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(_mutex);
    return _changed.wait_for(lock, timeout, [&] { return countLocked(name) >= wanted; });
}

}  // namespace qorva::sim
