#include "renderctrl/drawthread.h"

#include <chrono>

#include "common/log.h"
#include "common/threadedge.h"

namespace qorva::mediadispatch {

namespace {
// How long a thread without a facade idles before it looks again; setting a facade
// or stopping wakes it at once.
constexpr std::chrono::milliseconds kFacadeRecheck{16};
}  // namespace

DrawThread::~DrawThread() {
    stop();
    _renderFacade.set({});
}

void DrawThread::setRenderFacade(std::weak_ptr<qorva::mediaoutput::IRenderFacade> facade) {
    _renderFacade.set(std::move(facade));
    std::lock_guard lock(_requestMutex);
    _requestCond.notify_all();
}

void DrawThread::setDrawEnabled(bool enabled) { _drawEnabled = enabled; }

void DrawThread::start() {
    std::lock_guard lock(_threadMutex);
    _running = true;
    if (!_thread) _thread = std::make_unique<std::thread>(&DrawThread::run, this);
}

void DrawThread::stop() {
    _running = false;
    notifyDrawn();
    requestDraw();
    std::lock_guard lock(_threadMutex);
    if (_thread && _thread->joinable()) _thread->join();
    _thread.reset();
}

void DrawThread::requestDraw() {
    _drawn = false;
    std::lock_guard lock(_requestMutex);
    _requestCond.notify_all();
}

void DrawThread::waitDrawn() {
    if (!_running) return;
    std::unique_lock lock(_drawnMutex);
    _drawnCond.wait(lock, [this] { return !_running || _drawn; });
}

void DrawThread::notifyDrawn() {
    std::lock_guard lock(_drawnMutex);
    _drawnCond.notify_all();
}

void DrawThread::run() {
    QRC_INFO("Draw thread started.");
    while (_running) {
        const std::shared_ptr<qorva::mediaoutput::IRenderFacade> facade = _renderFacade.lock();
        if (facade) {
            drawRequested(*facade);
        } else {
            awaitFacade();
        }
    }
    notifyDrawn();
    QRC_INFO("Draw thread stoped.");
}

void DrawThread::awaitFacade() {
    std::unique_lock lock(_requestMutex);
    _requestCond.wait_for(lock, kFacadeRecheck, [this] { return !_running || !_renderFacade.get().expired(); });
}

// One request, one render(); the wake-up that stop() causes draws nothing. A request
// made while render() runs is satisfied by that draw. render() runs outside the
// lock, so that it may request a draw itself without deadlocking. A render() that
// throws still answers its request: its waiter is released and the thread waits for
// the next request instead of drawing again at once.
void DrawThread::drawRequested(qorva::mediaoutput::IRenderFacade& facade) {
    {
        std::unique_lock lock(_requestMutex);
        _requestCond.wait(lock, [this] { return !_drawn; });
    }
    if (_running && _drawEnabled) {
        renderctrl::catchAtThreadEdge("draw", [&] { facade.render(); });
        _drawn = true;
    } else if (_running) {
        zqSleep(1);  // draws disabled: the request stays pending
    }
    notifyDrawn();
}

}  // namespace qorva::mediadispatch
