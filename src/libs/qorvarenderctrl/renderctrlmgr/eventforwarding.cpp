// Not yet forwarded.
#include "renderctrlmgr/renderctrlmgr_impl.h"

namespace qorva::mediadispatch {

void RenderCtrlMgr::Impl::onDispatchAdded(std::weak_ptr<IDispatch> /*dispatch*/) {}
void RenderCtrlMgr::Impl::onDispatchRemoved(std::weak_ptr<IDispatch> /*dispatch*/) {}
void RenderCtrlMgr::Impl::onMediaDisplayCardsChanged(uint64_t /*id*/, const std::vector<std::string>& /*cards*/,
                                                     const EditingMode& /*mode*/) {}
void RenderCtrlMgr::Impl::onLayerAdded(uint64_t /*id*/, const std::string& /*name*/) {}
void RenderCtrlMgr::Impl::onTakeCutTriggered(bool /*a*/, bool /*b*/) {}
void RenderCtrlMgr::Impl::onLayoutNameChanged(uint64_t /*layoutId*/, const std::string& /*name*/) {}
void RenderCtrlMgr::Impl::onLayoutLockedChanged(uint64_t /*layoutId*/, bool /*locked*/) {}
void RenderCtrlMgr::Impl::onNotifyMediaUpdateDisplayCards(const std::multimap<uint64_t, EditingMode>& /*medias*/) {}
void RenderCtrlMgr::Impl::onOutputAddMedias(const std::vector<MediaInfo>& /*medias*/) {}
void RenderCtrlMgr::Impl::onOutputDelMedias(const std::vector<MediaInfo>& /*medias*/, bool /*flag*/) {}
void RenderCtrlMgr::Impl::onDeleteSelectedOutputPatch(const std::vector<uint64_t>& /*ids*/) {}
void RenderCtrlMgr::Impl::onIsSelectedOutputPatchHasMedia(const std::vector<uint64_t>& /*ids*/, bool& /*result*/) {}

}  // namespace qorva::mediadispatch
