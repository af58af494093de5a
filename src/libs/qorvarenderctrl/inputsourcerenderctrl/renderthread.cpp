// The render thread: started by setRenderFacade, stopped and joined by release,
// never left running by its owner. Each iteration runs an update pass, lets the
// facade render the players that delivered a frame, and sleeps 16 ms, also when a
// host call of the pass threw.
#include <mutex>
#include <system_error>
#include <vector>

#include "common/finishedthreads.h"
#include "common/log.h"
#include "common/threadedge.h"
#include "inputsourcerenderctrl/inputsourcerenderctrl_impl.h"
#include "qorvahost/zqcutils.h"

namespace qorva::mediadispatch {

namespace {
constexpr unsigned kPassPauseMs = 16;
}

InputSourceRenderCtrl::Impl::Impl(InputSourceRenderCtrl* owner) : owner(owner) {}

// The thread holds a reference to its Impl, so while it runs the Impl can only die
// here on that thread, once its owner was destroyed from one of its callbacks.
// Otherwise the owner has joined it already, or it is about to end.
InputSourceRenderCtrl::Impl::~Impl() {
    if (renderThread) renderctrl::joinOrKeep(*renderThread);
}

void InputSourceRenderCtrl::Impl::setRenderFacade(std::weak_ptr<IRenderFacade> facade) {
    renderFacade.set(std::move(facade));
    std::lock_guard lock(threadMutex);
    running = true;
    if (renderThread) return;
    renderThread = std::make_unique<std::thread>([self = shared_from_this()] { self->run(); });
    renderThreadId = renderThread->get_id();
}

// Returns after the iteration in progress. Joining from the render thread itself
// throws resource_deadlock_would_occur.
void InputSourceRenderCtrl::Impl::release() {
    // Tested before the lock, which a host thread's release() holds through the join of
    // this very thread, whose tap may be the caller. The loop still ends after this pass.
    if (onRenderThread()) {
        running = false;
        throw std::system_error(std::make_error_code(std::errc::resource_deadlock_would_occur));
    }
    std::lock_guard lock(threadMutex);
    running = false;
    if (renderThread) renderctrl::joinFromOtherThread(*renderThread);
    renderThread.reset();
    renderThreadId = std::thread::id();
}

// An owner destroyed from one of the thread's own callbacks cannot join it: the loop
// ends after the current iteration instead.
void InputSourceRenderCtrl::Impl::releaseUnlessOnRenderThread() {
    if (onRenderThread()) {
        running = false;
        return;
    }
    release();
}

bool InputSourceRenderCtrl::Impl::onRenderThread() const { return renderThreadId.load() == std::this_thread::get_id(); }

void InputSourceRenderCtrl::Impl::run() {
    QRC_INFO("Render Ctrl Thread started.");
    // The thread keeps the facade it started with alive for its whole life.
    const std::shared_ptr<IRenderFacade> facade = renderFacade.lock();
    if (!facade) {
        QRC_INFO("renderFacade is null.");
        return;
    }
    while (running) {
        renderctrl::catchAtThreadEdge("input pass", [this] { updateInputFrameData(); });
        zqSleep(kPassPauseMs);
    }
    QRC_INFO("Render Ctrl Thread stoped.");
}

void InputSourceRenderCtrl::Impl::updateInputFrameData() {
    _pass = Pass{renderFacade.get(), _mediaMgr, frameDataCallBack.get(), inputFrameDataUpdateCallBack.get()};
    // The pass lets its copies go at its end, a throwing one too: a cleared tap and what
    // it captured are not kept until the next pass.
    const std::unique_ptr<Pass, void (*)(Pass*)> passEnd(&_pass, [](Pass* pass) { *pass = {}; });
    const std::shared_ptr<IRenderFacade> facade = _pass.renderFacade.lock();
    // Without a facade (the host emptied the reference while the thread runs) the
    // loop keeps its rhythm rather than spin on the warning.
    if (!facade) {
        QRC_WARN("renderFacade is null.");
        return;
    }
    std::vector<std::shared_ptr<IPlayer>> players;
    try {
        updateInputFrameData(players);
    } catch (...) {
        // A host call threw: the frames taken so far go back before the pass gives up.
        for (const auto& player : players) player->frameConsumed();
        throw;
    }
    facade->beginInputPass();
    for (const auto& player : players) player->frameConsumed();
    facade->endInputPass();
}

}  // namespace qorva::mediadispatch
