#pragma once
// The door restore timer callbacks pass through. unsetLinkMgr closes it and waits for
// the restores inside, so that none runs once it has returned. Each timer callback
// holds it by a shared_ptr: it outlives the link's Impl.
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace qorva::mediadispatch {

class RestoreGate {
public:
    // One restore's way through: entered when made (if the gate is open), left when
    // destroyed. Whatever the restore holds must be released before its Pass goes.
    class Pass {
    public:
        explicit Pass(RestoreGate& gate) : _gate(gate), _entered(gate.enter()) {}
        ~Pass() {
            if (_entered) _gate.leave();
        }
        Pass(const Pass&) = delete;
        Pass& operator=(const Pass&) = delete;
        explicit operator bool() const { return _entered; }

    private:
        RestoreGate& _gate;
        const bool _entered;
    };

    bool isOpen();
    void close();
    // Waits until no restore is inside, except one on the calling thread: a restore
    // that unwires the link itself does not wait for itself.
    void awaitOthers();

private:
    bool enter();
    void leave();
    bool othersInside() const;

    std::mutex _mutex;
    std::condition_variable _left;
    bool _open = true;
    std::vector<std::thread::id> _inside;
};

}  // namespace qorva::mediadispatch
