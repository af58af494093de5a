#include "renderctrlmgr/framesyncrenderctx.h"

#include "common/log.h"
#include "common/threadedge.h"

namespace qorva::mediadispatch {

void FrameSyncRenderCtx::waitForVBlank() {
    const std::shared_ptr<RenderCtrl> renderCtrl = _renderCtrl.lock();
    if (!renderCtrl) {
        QRC_WARN("sharedRenderCtrl is null.");
        return;
    }
    renderctrl::waitAtThreadEdge([&] { renderCtrl->waitForVBlank(); });
}

void FrameSyncRenderCtx::renderScene(int value) {
    const std::shared_ptr<RenderCtrl> renderCtrl = _renderCtrl.lock();
    if (!renderCtrl) {
        QRC_WARN("sharedRenderCtrl is null.");
        return;
    }
    renderctrl::catchAtThreadEdge("render pass", [&] { renderCtrl->updateFrameData(static_cast<uint32_t>(value)); });
}

}  // namespace qorva::mediadispatch
