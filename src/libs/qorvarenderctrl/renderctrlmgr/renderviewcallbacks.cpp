// Not yet answered.
#include "renderctrlmgr/renderctrlmgr_impl.h"

namespace qorva::mediadispatch {

uint64_t RenderCtrlMgr::Impl::currentLayoutUsableLayerCallback() const { return ~uint64_t{0}; }
bool RenderCtrlMgr::Impl::getLayerLockStateCallback(uint64_t /*layerId*/) const { return true; }
RenderCtrlMgrCallBackCommon RenderCtrlMgr::Impl::getRenderCtrlMgrCallBackCommon(
    RenderCtrlMgrCallBackType /*type*/) const {
    return {};
}
std::vector<LayoutAttribute> RenderCtrlMgr::Impl::layoutPropertyCallback() const { return {}; }
bool RenderCtrlMgr::Impl::patchSelectStatusCallback() const { return false; }

}  // namespace qorva::mediadispatch
