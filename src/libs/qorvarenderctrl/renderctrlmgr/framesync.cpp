// The frame sync library: its object, its settings, link targets and master time.
#include "common/log.h"
#include "renderctrlmgr/renderctrlmgr_impl.h"

namespace qorva::mediadispatch {

void RenderCtrlMgr::Impl::createFrameSync() {}

void RenderCtrlMgr::Impl::setFrameSyncCheckLayerIndex(int32_t index) {
    std::shared_lock lock(renderCtrlsMutex);
    walkControllers([&](const std::string&, RenderCtrl& c) { c.setFrameSyncCheckLayerIndex(index); });
    frameSyncCheckLayerIndex = index;
}

void RenderCtrlMgr::Impl::setFrameSyncFlag(bool flag) {
    const auto controller = _frameSyncRenderCtrl.lock();
    if (!controller) {
        QRC_WARN("_frameSyncRenderCtrl is null");
        return;
    }
    controller->setFrameSyncFlag(flag);
}

bool RenderCtrlMgr::Impl::linkTarget(const char* /*ip*/, int /*port*/) { return false; }
bool RenderCtrlMgr::Impl::dislinkTarget(const char* /*ip*/, int /*port*/) { return false; }
bool RenderCtrlMgr::Impl::keepMasterTime(bool /*isClear*/) { return false; }
int RenderCtrlMgr::Impl::getNetPort() { return 0; }
void RenderCtrlMgr::Impl::startFrameSyncTimer() {}

void RenderCtrlMgr::Impl::stopFrameSyncTimer() {
    const int id = frameSyncTimerId.exchange(-1);
    tarsel::IZQRuntime* runtime = _zqRuntime;
    if (id != -1 && runtime) runtime->stopTimer(id);
}

void RenderCtrlMgr::Impl::updateGetFrameTime(double time) {
    std::shared_lock lock(renderCtrlsMutex);
    walkControllers([&](const std::string&, RenderCtrl& c) { c.updateGetFrameTime(time); });
}

}  // namespace qorva::mediadispatch
