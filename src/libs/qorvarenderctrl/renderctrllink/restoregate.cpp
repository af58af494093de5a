#include "renderctrllink/restoregate.h"

#include <algorithm>

namespace qorva::mediadispatch {

bool RestoreGate::isOpen() {
    std::lock_guard lock(_mutex);
    return _open;
}

void RestoreGate::close() {
    std::lock_guard lock(_mutex);
    _open = false;
}

void RestoreGate::awaitOthers() {
    std::unique_lock lock(_mutex);
    _left.wait(lock, [this] { return !othersInside(); });
}

bool RestoreGate::enter() {
    std::lock_guard lock(_mutex);
    if (!_open) return false;
    _inside.push_back(std::this_thread::get_id());
    return true;
}

void RestoreGate::leave() {
    {
        std::lock_guard lock(_mutex);
        _inside.erase(std::find(_inside.begin(), _inside.end(), std::this_thread::get_id()));
    }
    _left.notify_all();
}

bool RestoreGate::othersInside() const {
    const auto self = std::this_thread::get_id();
    return std::any_of(_inside.begin(), _inside.end(), [&](std::thread::id id) { return id != self; });
}

}  // namespace qorva::mediadispatch
