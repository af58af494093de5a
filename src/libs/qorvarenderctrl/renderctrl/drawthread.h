#pragma once
// Runs a card facade's render() on a thread of its own, one draw per request, so
// that a caller can request a draw and wait until it has been made.
#include <memory>

#include "qorvahost.h"

namespace qorva::mediadispatch {

class DrawThread {
public:
    DrawThread();
    // Stops and joins the thread, then lets the facade go. Destroyed from the draw
    // thread itself (from inside render()), it lets the thread end after that draw.
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
    class Impl;
    std::shared_ptr<Impl> _impl;
};

}  // namespace qorva::mediadispatch
