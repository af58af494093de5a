// Thumbnails, media visibility and the frame data tap.
#include "common/log.h"
#include "renderctrlmgr/renderctrlmgr_impl.h"

namespace qorva::mediadispatch {

// Reaches only the controllers that exist: the host sets the tap after the facade.
void RenderCtrlMgr::Impl::setFrameDataCallBack(const FrameDataCallBack& callback) {
    forEachController([&](const std::string&, RenderCtrl& c) { c.setFrameDataCallBack(callback); });
}

void RenderCtrlMgr::Impl::setFrameDataSwitch(bool on) {
    std::shared_lock lock(renderCtrlsMutex);
    walkControllers([&](const std::string&, RenderCtrl& c) { c.setFrameDataSwitch(on); });
    frameDataSwitch = on;
}

void RenderCtrlMgr::Impl::setMediaVisible(uint64_t /*firstId*/, uint64_t /*mediaId*/, bool /*visible*/) {}

void RenderCtrlMgr::Impl::showOrgThumbnail(uint64_t /*firstId*/, uint64_t /*secondId*/,
                                           std::weak_ptr<zq::mediacore::IMeta> /*meta*/) {}

}  // namespace qorva::mediadispatch
