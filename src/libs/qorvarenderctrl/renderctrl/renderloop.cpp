// The render thread: started by start(), stopped and joined by release(), never
// detached. Its body repeats a draw pass and a vertical-blank wait; a host call that
// throws ends only the pass or wait it was in.
#include "common/finishedthreads.h"
#include "common/log.h"
#include "common/threadedge.h"
#include "renderctrl/renderctrl_impl.h"

namespace qorva::mediadispatch {

void RenderCtrl::Impl::start() {
    // A pass of the new thread may drop the last other reference before this returns.
    const auto self = shared_from_this();
    std::lock_guard lock(_threadMutex);
    _running = true;
    // The thread holds a reference to the Impl: see ~RenderCtrl.
    if (!_thread) _thread = std::make_unique<std::thread>([self = shared_from_this()] { self->run(); });
}

// Returns after the pass and the wait in progress: the loop tests the flag between
// them. Joining from the render thread itself throws resource_deadlock_would_occur.
void RenderCtrl::Impl::release() {
    std::lock_guard lock(_threadMutex);
    _running = false;
    if (_thread) renderctrl::joinFromOtherThread(*_thread);
    _thread.reset();
}

// Destroyed or stopped from inside a pass or on its own thread (the host dropped the
// last reference, or cleared the tap, in a callback), the controller does not join: the loop
// ends after the pass and wait in progress instead, and the thread's own reference
// keeps the Impl alive until then.
void RenderCtrl::Impl::stopThread() {
    // Tested before the thread lock: a host thread's release() holds it through the join
    // of this very thread, whose tap may be the caller.
    if (insidePass()) {
        _running = false;
        return;
    }
    {
        std::lock_guard lock(_threadMutex);
        if (renderctrl::isCallingThread(_thread)) {
            _running = false;
            return;
        }
    }
    release();
}

void RenderCtrl::Impl::run() {
    QRC_INFO("Render Ctrl Thread started.");
    // The thread keeps the card's facade alive for its whole life.
    const std::shared_ptr<IRenderFacade> facade = services()._renderFacade.lock();
    if (!facade) {
        QRC_INFO("renderFacade is null.");
        return;
    }
    while (_running) {
        renderctrl::catchAtThreadEdge("render pass", [this] { updateFrameData(0); });
        renderctrl::waitAtThreadEdge([this] { waitForVBlank(); });
    }
    QRC_INFO("Render Ctrl Thread stoped.");
}

}  // namespace qorva::mediadispatch
