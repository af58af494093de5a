// Thumbnails, media visibility and the frame data tap.
#include "common/log.h"
#include "renderctrlmgr/renderctrlmgr_impl.h"

namespace qorva::mediadispatch {

namespace {
// The layer number under which the layout manager shows a media item's thumbnail
// and switches its visibility.
constexpr uint32_t kThumbnailLayerNumber = 0x1000;
}  // namespace

// Reaches only the controllers that exist: the host sets the tap after the facade.
void RenderCtrlMgr::Impl::setFrameDataCallBack(const FrameDataCallBack& callback) {
    forEachController([&](const std::string&, RenderCtrl& c) { c.setFrameDataCallBack(callback); });
}

void RenderCtrlMgr::Impl::setFrameDataSwitch(bool on) {
    std::shared_lock lock(renderCtrlsMutex);
    walkControllers([&](const std::string&, RenderCtrl& c) { c.setFrameDataSwitch(on); });
    frameDataSwitch = on;
}

// The first id is not used.
void RenderCtrlMgr::Impl::setMediaVisible(uint64_t /*firstId*/, uint64_t mediaId, bool visible) {
    const std::shared_ptr<IMediaOutputLayoutMgr> mgr = layoutMgr.lock();
    if (!mgr) {
        QRC_ERR("layoutMgr is null.");
        return;
    }
    mgr->setMediaVisible(mediaId, visible, kThumbnailLayerNumber);
}

void RenderCtrlMgr::Impl::showOrgThumbnail(uint64_t firstId, uint64_t secondId,
                                           std::weak_ptr<zq::mediacore::IMeta> meta) {
    // Declared in this order, so the frame goes first, then the meta, then the manager.
    const std::shared_ptr<IMediaOutputLayoutMgr> mgr = layoutMgr.lock();
    if (!mgr) {
        QRC_ERR("layoutMgr is null.");
        return;
    }
    const std::shared_ptr<zq::mediacore::IMeta> shared = meta.lock();
    if (!shared) {
        QRC_ERR("meta is null");
        return;
    }
    const std::shared_ptr<zq::mediacore::IFrame> frame = shared->getOrgThumbFrame();
    if (!frame) {
        QRC_INFO("orgThumbFrame is null.");
        return;
    }
    qorva::mediaoutput::LayerFrameInfo rec;  // at the origin, 1920x1080
    rec.secondId = secondId;
    rec.layerId = firstId;
    rec.frame = frame.get();
    rec.layerNumber = kThumbnailLayerNumber;
    mgr->updateLayerFrame(rec);
    shared->destroyOrgThumbnail();
}

}  // namespace qorva::mediadispatch
