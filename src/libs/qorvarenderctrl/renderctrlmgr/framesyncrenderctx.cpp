#include "renderctrlmgr/framesyncrenderctx.h"

#include <condition_variable>
#include <mutex>
#include <utility>

#include "common/finishedthreads.h"
#include "common/log.h"
#include "common/threadedge.h"

namespace qorva::mediadispatch {

namespace {

// Opened when a frame sync library's thread has left the render context call in which
// it asked for an end.
class Gate {
public:
    void open() {
        {
            std::lock_guard lock(_mutex);
            _open = true;
        }
        _opened.notify_all();
    }
    void wait() {
        std::unique_lock lock(_mutex);
        _opened.wait(lock, [this] { return _open; });
    }

private:
    std::mutex _mutex;
    std::condition_variable _opened;
    bool _open = false;
};

// The outermost render context call on this thread. It opens the gates of the ends
// asked for during the call as the last thing before it returns to the library, after
// the controller it drove is let go.
class FrameSyncCall {
public:
    FrameSyncCall() {
        if (!outermost) outermost = this;
    }
    ~FrameSyncCall() {
        if (outermost != this) return;
        outermost = nullptr;
        for (const auto& gate : _gates) gate->open();
    }
    FrameSyncCall(const FrameSyncCall&) = delete;
    FrameSyncCall& operator=(const FrameSyncCall&) = delete;

    static bool inside() { return outermost != nullptr; }
    // A gate opened when the thread leaves the outermost call; open at once outside one.
    static std::shared_ptr<Gate> whenLeft() {
        auto gate = std::make_shared<Gate>();
        if (outermost)
            outermost->_gates.push_back(gate);
        else
            gate->open();
        return gate;
    }

private:
    static thread_local FrameSyncCall* outermost;
    std::vector<std::shared_ptr<Gate>> _gates;
};

thread_local FrameSyncCall* FrameSyncCall::outermost = nullptr;

}  // namespace

bool FrameSyncRenderCtx::onFrameSyncThread() { return FrameSyncCall::inside(); }

void FrameSyncRenderCtx::waitForVBlank() {
    const FrameSyncCall call;
    const std::shared_ptr<RenderCtrl> renderCtrl = _renderCtrl.lock();
    if (!renderCtrl) {
        QRC_WARN("sharedRenderCtrl is null.");
        return;
    }
    renderctrl::waitAtThreadEdge([&] { renderCtrl->waitForVBlank(); });
}

void FrameSyncRenderCtx::renderScene(int value) {
    const FrameSyncCall call;
    const std::shared_ptr<RenderCtrl> renderCtrl = _renderCtrl.lock();
    if (!renderCtrl) {
        QRC_WARN("sharedRenderCtrl is null.");
        return;
    }
    renderctrl::catchAtThreadEdge("render pass", [&] { renderCtrl->updateFrameData(static_cast<uint32_t>(value)); });
}

FrameSyncEnd::FrameSyncEnd(std::vector<IFrameSync*> objects, std::vector<std::shared_ptr<FrameSyncRenderCtx>> contexts)
    : _thread([left = FrameSyncCall::whenLeft(), ended = _ended, objects = std::move(objects),
               contexts = std::move(contexts)] {
          left->wait();
          for (IFrameSync* object : objects)
              renderctrl::catchAtThreadEdge("frame sync end", [&] { object->destroy(); });
          *ended = true;
      }) {}

FrameSyncEnd::~FrameSyncEnd() {
    if (FrameSyncCall::inside())
        renderctrl::keepUntilEnded(std::move(_thread), _ended);
    else
        _thread.join();
}

}  // namespace qorva::mediadispatch
