#pragma once
// The link manager's deliveries queued on the runtime's thread: they run in the order
// they were posted while the manager runs, and none runs once it has stopped.
#include <functional>
#include <mutex>

namespace qorva::sim {

class DeliveryGate {
public:
    // On the runtime's thread: runs the work unless the gate is closed.
    void run(const std::function<void()>& work) {
        std::lock_guard lock(_mutex);
        if (_open) work();
    }

    // Waits for a delivery under way; none runs afterwards. Not from inside a delivery.
    void close() {
        std::lock_guard lock(_mutex);
        _open = false;
    }

private:
    std::mutex _mutex;
    bool _open = true;
};

}  // namespace qorva::sim
