#pragma once
// The render context handed to the frame sync library for one display card: the
// library's thread runs the card's draw passes and vertical-blank waits through it.
// No exception leaves these calls: the frame sync library is built apart.
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "qorvahost/iframesync.h"
#include "qorvarenderctrl/iframesyncrenderctx.h"
#include "renderctrl/renderctrl.h"

namespace qorva::mediadispatch {

class FrameSyncRenderCtx : public IFrameSyncRenderCtx {
public:
    explicit FrameSyncRenderCtx(std::weak_ptr<RenderCtrl> renderCtrl) : _renderCtrl(std::move(renderCtrl)) {}

    void waitForVBlank() override;
    void renderScene(int value) override;

    // Whether the caller runs inside one of these calls: on a frame sync library's own
    // thread, which that library's destroy() would have to join.
    static bool onFrameSyncThread();

private:
    std::weak_ptr<RenderCtrl> _renderCtrl;
};

// Frame sync objects to end while the caller is a frame sync library's own thread (the
// manager released or dropped from a tap or a host call of a pass that library drives).
// A thread of their own calls their destroy() once the caller has left its render
// context call, and keeps the render contexts they may still call alive until then.
class FrameSyncEnd {
public:
    FrameSyncEnd(std::vector<IFrameSync*> objects, std::vector<std::shared_ptr<FrameSyncRenderCtx>> contexts);
    // Waits for the end, or, on a frame sync library's thread (which the end may be
    // waiting for), keeps the thread with those that could not be joined.
    ~FrameSyncEnd();
    FrameSyncEnd(const FrameSyncEnd&) = delete;
    FrameSyncEnd& operator=(const FrameSyncEnd&) = delete;

private:
    std::shared_ptr<std::atomic<bool>> _ended = std::make_shared<std::atomic<bool>>(false);
    std::thread _thread;
};

}  // namespace qorva::mediadispatch
