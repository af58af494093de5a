#include "renderctrl/drawthread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "common/finishedthreads.h"
#include "common/guarded.h"
#include "common/log.h"
#include "common/threadedge.h"

namespace qorva::mediadispatch {

namespace {
// How long a thread without a facade idles before it looks again; setting a facade
// or stopping wakes it at once.
constexpr std::chrono::milliseconds kFacadeRecheck{16};
// The draw thread whose render() runs on this thread, if any.
thread_local const void* drawingThread = nullptr;
}  // namespace

// The thread's state. The thread holds a reference to it, so a DrawThread destroyed
// from inside render() leaves it alive until the thread has ended.
class DrawThread::Impl : public std::enable_shared_from_this<DrawThread::Impl> {
public:
    Impl() = default;
    ~Impl() {
        if (_thread) renderctrl::joinOrKeep(*_thread);
    }
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    void setRenderFacade(std::weak_ptr<qorva::mediaoutput::IRenderFacade> facade);
    void setDrawEnabled(bool enabled) { _drawEnabled = enabled; }
    void start();
    void stop();
    void stopUnlessOnDrawThread();
    void requestDraw();
    void waitDrawn();
    void dropFacade() { _renderFacade.set({}); }

private:
    bool onDrawThread() const;
    void wakeThread();
    void run();
    void awaitFacade();
    void drawRequested(qorva::mediaoutput::IRenderFacade& facade);
    void notifyDrawn();
    // On the draw thread: the loop ends after the draw in progress, its waiters go.
    void endAfterThisDraw();

    std::mutex _threadMutex;  // start and stop may come from different threads
    std::unique_ptr<std::thread> _thread;
    std::atomic<std::thread::id> _threadId{};  // read without the lock: see start()
    std::atomic<bool> _running{false};
    std::condition_variable _drawnCond;
    std::mutex _drawnMutex;
    std::condition_variable _requestCond;
    std::mutex _requestMutex;
    renderctrl::Guarded<std::weak_ptr<qorva::mediaoutput::IRenderFacade>> _renderFacade;
    std::atomic<bool> _drawn{true};
    std::atomic<bool> _drawEnabled{true};
};

DrawThread::DrawThread() : _impl(std::make_shared<Impl>()) {}

DrawThread::~DrawThread() {
    _impl->stopUnlessOnDrawThread();
    _impl->dropFacade();
}

void DrawThread::setRenderFacade(std::weak_ptr<qorva::mediaoutput::IRenderFacade> facade) {
    _impl->setRenderFacade(std::move(facade));
}
void DrawThread::setDrawEnabled(bool enabled) { _impl->setDrawEnabled(enabled); }
void DrawThread::start() { _impl->start(); }
void DrawThread::stop() { _impl->stop(); }
void DrawThread::requestDraw() { _impl->requestDraw(); }
// The waiter holds the Impl: the owner may be destroyed from render() meanwhile.
void DrawThread::waitDrawn() {
    const std::shared_ptr<Impl> impl = _impl;
    impl->waitDrawn();
}

// Destroyed from inside render(), the owner cannot join: the loop ends after that
// draw instead, and its waiters are let go.
void DrawThread::Impl::stopUnlessOnDrawThread() {
    if (onDrawThread())
        endAfterThisDraw();
    else
        stop();
}

void DrawThread::Impl::endAfterThisDraw() {
    _running = false;
    notifyDrawn();
}

void DrawThread::Impl::setRenderFacade(std::weak_ptr<qorva::mediaoutput::IRenderFacade> facade) {
    _renderFacade.set(std::move(facade));
    if (drawingThread == this) return;  // set from render(): the thread is awake
    std::lock_guard lock(_requestMutex);
    _requestCond.notify_all();
}

// On the draw thread itself the thread runs already: a stop under way on another
// thread holds the thread lock until its join, so waiting for it there would hang.
void DrawThread::Impl::start() {
    if (onDrawThread()) return;
    std::lock_guard lock(_threadMutex);
    _running = true;
    if (_thread) return;
    _thread = std::make_unique<std::thread>([self = shared_from_this()] { self->run(); });
    _threadId = _thread->get_id();
}

// The flag is lowered under the thread lock and the lock is held through the join, so
// a start() from another thread waits for the stop and then starts a new thread: it
// cannot raise the flag again for the thread being joined. The thread's wait for a
// request also ends on the lowered flag, whatever a draw in progress left in _drawn.
void DrawThread::Impl::stop() {
    if (onDrawThread()) {  // lowered and woken as ever; only the join cannot be
        endAfterThisDraw();
        throw std::system_error(std::make_error_code(std::errc::resource_deadlock_would_occur));
    }
    std::lock_guard lock(_threadMutex);
    _running = false;
    notifyDrawn();
    wakeThread();
    if (_thread) _thread->join();
    _thread.reset();
    _threadId = std::thread::id();
}

bool DrawThread::Impl::onDrawThread() const { return _threadId.load() == std::this_thread::get_id(); }

void DrawThread::Impl::wakeThread() {
    std::lock_guard lock(_requestMutex);
    _requestCond.notify_all();
}

// A request from inside render() (the draw thread holds the lock) needs no wake-up.
void DrawThread::Impl::requestDraw() {
    _drawn = false;
    if (drawingThread == this) return;
    std::lock_guard lock(_requestMutex);
    _requestCond.notify_all();
}

void DrawThread::Impl::waitDrawn() {
    if (!_running) return;
    std::unique_lock lock(_drawnMutex);
    _drawnCond.wait(lock, [this] { return !_running || _drawn; });
}

void DrawThread::Impl::notifyDrawn() {
    std::lock_guard lock(_drawnMutex);
    _drawnCond.notify_all();
}

void DrawThread::Impl::run() {
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

void DrawThread::Impl::awaitFacade() {
    std::unique_lock lock(_requestMutex);
    _requestCond.wait_for(lock, kFacadeRecheck, [this] { return !_running || !_renderFacade.get().expired(); });
}

// One request, one render(); the wake-up that stop() causes draws nothing. The
// request lock is held through render() and the completion notice, so a request made
// during a draw waits for it to end and is satisfied by it. A render() that throws
// still answers its request: its waiter is released and the thread waits for the
// next request instead of drawing again at once.
void DrawThread::Impl::drawRequested(qorva::mediaoutput::IRenderFacade& facade) {
    std::unique_lock lock(_requestMutex);
    _requestCond.wait(lock, [this] { return !_drawn || !_running; });
    if (_running && _drawEnabled) {
        drawingThread = this;
        renderctrl::catchAtThreadEdge("draw", [&] { facade.render(); });
        drawingThread = nullptr;
        _drawn = true;
    } else if (_running) {
        lock.unlock();  // nobody waits on a pause: requests and stop() go on meanwhile
        zqSleep(1);     // draws disabled: the request stays pending
    }
    notifyDrawn();
}

}  // namespace qorva::mediadispatch
