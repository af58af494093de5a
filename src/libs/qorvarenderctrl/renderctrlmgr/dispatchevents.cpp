// Not yet forwarded.
#include "renderctrlmgr/renderctrlmgr_impl.h"

namespace qorva::mediadispatch {

void RenderCtrlMgr::Impl::onLayerAdded(const std::vector<uint64_t>& /*ids*/, uint64_t /*id*/,
                                       const std::string& /*name*/, const std::string& /*extra*/) {}
void RenderCtrlMgr::Impl::onLayerRemove(const std::vector<uint64_t>& /*ids*/, const std::vector<uint64_t>& /*items*/,
                                        bool /*flag*/) {}
void RenderCtrlMgr::Impl::onLayerAdded(const std::vector<uint64_t>& /*ids*/, uint64_t /*id*/,
                                       const std::string& /*name*/, uint64_t /*number*/) {}
void RenderCtrlMgr::Impl::onLayerNameChanged(uint64_t /*id*/, const std::string& /*name*/) {}
void RenderCtrlMgr::Impl::onMediasAdded(const std::vector<MediaInfo>& /*medias*/) {}
void RenderCtrlMgr::Impl::onMediasReplaced(uint64_t /*id*/, EditingMode /*mode*/) {}
void RenderCtrlMgr::Impl::onMediaAboutToBeRemoved(uint64_t /*a*/, uint64_t /*b*/, EditingMode /*mode*/) {}
void RenderCtrlMgr::Impl::onMediaVisibleChanged(uint64_t /*layoutId*/, uint64_t /*layerId*/, uint64_t /*mediaId*/,
                                                bool /*visible*/, EditingMode /*mode*/, int32_t /*value*/) {}
void RenderCtrlMgr::Impl::onMediaLayerChanged(uint64_t /*mediaId*/, uint64_t /*layerId*/, EditingMode /*mode*/) {}
void RenderCtrlMgr::Impl::onMediaFadeToggled(const STDispatchMediaFadeInfo& /*info*/) {}
void RenderCtrlMgr::Impl::onMediaReleased(const std::vector<MediaInfo>& /*medias*/) {}
void RenderCtrlMgr::Impl::onMediaForceUpdate(uint64_t /*id*/, EditingMode /*mode*/, bool /*flag*/) {}
void RenderCtrlMgr::Impl::onLayoutAdded(DispatchType /*type*/, uint64_t /*layoutId*/, const std::string& /*name*/) {}
void RenderCtrlMgr::Impl::onLayoutAboutToBeDeleted(DispatchType /*type*/, uint64_t /*layoutId*/) {}
void RenderCtrlMgr::Impl::onLayoutKeepChanged(bool /*keep*/) {}
void RenderCtrlMgr::Impl::onLayoutVisibleChanged(DispatchType /*type*/, uint64_t /*layoutId*/, bool /*visible*/,
                                                 EditingMode /*mode*/) {}
void RenderCtrlMgr::Impl::onMediaColorPropertyChanged(
    uint64_t /*id*/, const std::vector<std::pair<uint64_t, tarsel::ColorProperty>>& /*colors*/,
    const EditingMode& /*mode*/) {}
void RenderCtrlMgr::Impl::onMediaBorderPropertyChanged(uint64_t /*id*/, const std::vector<uint64_t>& /*ids*/,
                                                       const tarsel::BorderProperty& /*border*/,
                                                       const EditingMode& /*mode*/) {}
void RenderCtrlMgr::Impl::onMediaPickPropertyChanged(uint64_t /*id*/, const std::vector<uint64_t>& /*ids*/,
                                                     const tarsel::PickProperty& /*pick*/,
                                                     const EditingMode& /*mode*/) {}
void RenderCtrlMgr::Impl::onMediaEffectPropertyChanged(uint64_t /*id*/, const std::vector<uint64_t>& /*ids*/,
                                                       const tarsel::EffectType& /*type*/,
                                                       const tarsel::EffectProperty& /*effect*/,
                                                       const EditingMode& /*mode*/) {}
void RenderCtrlMgr::Impl::onAllLayoutPropertySet(uint64_t /*id*/, bool /*flag*/, EditingMode /*mode*/) {}
void RenderCtrlMgr::Impl::onLayoutPropertyset(uint64_t /*a*/, uint64_t /*b*/, EditingMode /*mode*/) {}
void RenderCtrlMgr::Impl::changeLayoutName(uint64_t /*first*/, uint64_t /*layoutId*/, const std::string& /*name*/) {}
void RenderCtrlMgr::Impl::onCreateLayoutCopy(uint64_t /*a*/, uint64_t /*b*/, const std::string& /*name*/,
                                             EditingMode /*mode*/) {}
void RenderCtrlMgr::Impl::onChangeLayoutLock(uint64_t /*a*/, uint64_t /*second*/, bool /*lock*/, EditingMode /*mode*/) {
}
void RenderCtrlMgr::Impl::onClearMediaOutput() {}
void RenderCtrlMgr::Impl::onSyncPreeditDatas(uint64_t /*id*/) {}
void RenderCtrlMgr::Impl::onLayerSelected(uint64_t /*a*/, uint64_t /*b*/) {}
void RenderCtrlMgr::Impl::resetLayoutKeep() {}
void RenderCtrlMgr::Impl::onLoadPreviewLayout() {}
void RenderCtrlMgr::Impl::onLayoutStartFade(const LayoutStartFadeParam& /*param*/) {}
void RenderCtrlMgr::Impl::onLayoutStopFade(uint64_t /*id*/) {}
void RenderCtrlMgr::Impl::onMediaPlayStateChanged(const STMediaPlayStateInfo& /*info*/) {}

}  // namespace qorva::mediadispatch
