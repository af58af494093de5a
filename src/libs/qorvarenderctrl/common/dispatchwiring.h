#pragma once
// Which dispatches a controller has wired its handlers to, kept right against an
// emission of sigDispatchAdded that races unsetMediaDispatchMgr: the unset waits for a
// dispatch being wired now, one announced after it wires nothing, and the unset
// reaches every dispatch wired so far, also one the dispatch manager does not list.
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "qorvahost/imediadispatchmgr.h"

namespace qorva::renderctrl {

class DispatchWiring {
public:
    using Visit = std::function<void(mediadispatch::IDispatch&)>;

    // From now on, announced dispatches are wired.
    void open();
    // Wires an announced dispatch unless closed; under the lock.
    void add(const std::shared_ptr<mediadispatch::IDispatch>& dispatch, const Visit& wire);
    // Unwires a dispatch taken away, and forgets it.
    void remove(const std::shared_ptr<mediadispatch::IDispatch>& dispatch, const Visit& unwire);
    // Unwires the listed dispatches and every one wired so far, and wires nothing more.
    // The caller reads the list before, so that a host emitting under its own lock
    // cannot deadlock against this one.
    void close(std::vector<std::shared_ptr<mediadispatch::IDispatch>> listed, const Visit& unwire);

private:
    std::mutex _mutex;
    bool _open = false;
    std::vector<std::weak_ptr<mediadispatch::IDispatch>> _wired;
};

// The live dispatches of the manager's list.
std::vector<std::shared_ptr<mediadispatch::IDispatch>> liveDispatches(mediadispatch::IMediaDispatchMgr& mgr);

}  // namespace qorva::renderctrl
