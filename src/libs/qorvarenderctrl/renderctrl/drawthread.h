#pragma once
// Runs a card facade's render() on a thread of its own, one draw per request, so
// that a caller can request a draw and wait until it has been made.
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "common/guarded.h"
#include "qorvahost.h"

namespace qorva::mediadispatch {

class DrawThread {
public:
    DrawThread() = default;
    // Stops and joins the thread, then lets the facade go. Not to be destroyed from
    // the draw thread itself (from inside render()).
    ~DrawThread();
    DrawThread(const DrawThread&) = delete;
    DrawThread& operator=(const DrawThread&) = delete;

    // The facade to draw with; a thread that has none idles until one is set.
    void setRenderFacade(std::weak_ptr<qorva::mediaoutput::IRenderFacade> facade);
    // While disabled, requests stay pending and the thread polls every millisecond.
    void setDrawEnabled(bool enabled);

    void start();
    // Wakes every waiter, then joins the thread. Throws std::system_error
    // (resource_deadlock_would_occur) when called from the draw thread.
    void stop();
    void requestDraw();
    // Returns once the last requested draw has been made, or the thread stops.
    void waitDrawn();

private:
    void run();
    void awaitFacade();
    void drawRequested(qorva::mediaoutput::IRenderFacade& facade);
    void notifyDrawn();

    std::mutex _threadMutex;  // start and stop may come from different threads
    std::unique_ptr<std::thread> _thread;
    std::atomic<bool> _running{false};
    std::condition_variable _drawnCond;
    std::mutex _drawnMutex;
    std::condition_variable _requestCond;
    std::mutex _requestMutex;
    renderctrl::Guarded<std::weak_ptr<qorva::mediaoutput::IRenderFacade>> _renderFacade;
    std::atomic<bool> _drawn{true};
    std::atomic<bool> _drawEnabled{true};
};

}  // namespace qorva::mediadispatch
