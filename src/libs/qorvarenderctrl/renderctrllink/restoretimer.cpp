// The restore timer: started when this node becomes master, stopped when it gives the
// role up, and never left behind by setZQRuntime, unsetLinkMgr or the Impl's end.
#include "common/log.h"
#include "renderctrllink/renderctrllink_impl.h"

namespace qorva::mediadispatch {

namespace {

constexpr int kRestoreDelayMs = 1000;

}  // namespace

// A single-shot timer: one second after this node became master it restores the links.
// It starts only on the runtime the link still has and while the link is wired, both
// checked under the lock that setZQRuntime and unsetLinkMgr take.
void RenderCtrlLink::Impl::restartRestoreTimer(const char* caller) {
    tarsel::IZQRuntime* runtime = _zqRuntime;
    if (!runtime) {
        QRC_WARN_AS(caller, "zqRuntime is null, restore timer not started");
        return;
    }
    int previous = -1;
    {
        std::lock_guard lock(_stateMutex);
        previous = restoreTimerId;
    }
    runtime->stopTimer(previous);
    std::lock_guard timerLock(_timerMutex);
    if (_zqRuntime != runtime) {
        if (!_zqRuntime) QRC_WARN_AS(caller, "zqRuntime is null, restore timer not started");
        return;
    }
    if (!_restoreGate->isOpen()) return;
    uint64_t generation = 0;
    {
        std::lock_guard lock(_stateMutex);
        generation = ++restoreGeneration;
    }
    const int id = runtime->startTimer(kRestoreDelayMs, restoreCallback(generation), 1);
    std::lock_guard lock(_stateMutex);
    if (restoreGeneration == generation) restoreTimerId = id;  // unless it has fired already
}

// The callback holds the gate and a weak reference: it does nothing once the link is
// unwired or gone.
std::function<void(int)> RenderCtrlLink::Impl::restoreCallback(uint64_t generation) {
    return [gate = _restoreGate, weak = weak_from_this(), generation](int) {
        const RestoreGate::Pass pass(*gate);
        if (!pass) return;
        // Released before the pass: a waiting unsetLinkMgr returns only once this
        // restore has let go of the link and the manager.
        if (const auto self = weak.lock()) self->backupRestorePorts(generation);
    };
}

// Stopping forgets the timer too, so that a node that becomes master again sends its
// table again.
void RenderCtrlLink::Impl::stopRestoreTimer() {
    std::lock_guard timerLock(_timerMutex);
    const int id = forgetRestoreTimer();
    if (tarsel::IZQRuntime* runtime = _zqRuntime) runtime->stopTimer(id);
}

int RenderCtrlLink::Impl::forgetRestoreTimer() {
    std::lock_guard lock(_stateMutex);
    ++restoreGeneration;
    return std::exchange(restoreTimerId, -1);
}

// A timer pending on the runtime being replaced could not be stopped afterwards.
void RenderCtrlLink::Impl::setZQRuntime(tarsel::IZQRuntime* runtime) {
    std::lock_guard timerLock(_timerMutex);
    tarsel::IZQRuntime* const previous = _zqRuntime.exchange(runtime);
    if (previous == runtime) return;
    if (const int id = forgetRestoreTimer(); id != -1 && previous) previous->stopTimer(id);
}

void RenderCtrlLink::Impl::endRestores() {
    std::shared_ptr<RestoreGate> gate;
    {
        std::lock_guard timerLock(_timerMutex);
        gate = _restoreGate;
        gate->close();
        tarsel::IZQRuntime* runtime = _zqRuntime;
        if (const int id = forgetRestoreTimer(); id != -1 && runtime) runtime->stopTimer(id);
    }
    // Without the lock: the restore being waited for may start a timer itself.
    gate->awaitOthers();
}

}  // namespace qorva::mediadispatch
