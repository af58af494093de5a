#include "renderctrlmgr/framesyncrenderctx.h"

#include "common/log.h"

namespace qorva::mediadispatch {

void FrameSyncRenderCtx::waitForVBlank() {
    const std::shared_ptr<RenderCtrl> renderCtrl = _renderCtrl.lock();
    if (!renderCtrl) {
        QRC_WARN("sharedRenderCtrl is null.");
        return;
    }
    renderCtrl->waitForVBlank();
}

void FrameSyncRenderCtx::renderScene(int value) {
    const std::shared_ptr<RenderCtrl> renderCtrl = _renderCtrl.lock();
    if (!renderCtrl) {
        QRC_WARN("sharedRenderCtrl is null.");
        return;
    }
    renderCtrl->updateFrameData(static_cast<uint32_t>(value));
}

}  // namespace qorva::mediadispatch
