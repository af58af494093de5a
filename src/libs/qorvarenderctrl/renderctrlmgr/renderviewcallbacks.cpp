// The questions the layout manager, its render view and the dispatches ask the
// manager, relayed to the service that knows the answer; a fixed answer without it.
#include <limits>

#include "common/log.h"
#include "renderctrlmgr/renderctrlmgr_impl.h"

namespace qorva::mediadispatch {

uint64_t RenderCtrlMgr::Impl::currentLayoutUsableLayerCallback() const {
    const auto dispatchMgr = mediaDispatchMgr.lock();
    if (!dispatchMgr) {
        QRC_WARN("mediaDispatchMgr is null");
        return std::numeric_limits<uint64_t>::max();
    }
    return dispatchMgr->getCurrentLayoutUsableLayer();
}

// Without the dispatch manager every layer counts as locked.
bool RenderCtrlMgr::Impl::getLayerLockStateCallback(uint64_t layerId) const {
    const auto dispatchMgr = mediaDispatchMgr.lock();
    if (!dispatchMgr) {
        QRC_WARN("mediaDispatchMgr is null");
        return true;
    }
    return dispatchMgr->getLayerLockState(layerId);
}

RenderCtrlMgrCallBackCommon RenderCtrlMgr::Impl::getRenderCtrlMgrCallBackCommon(RenderCtrlMgrCallBackType type) const {
    RenderCtrlMgrCallBackCommon record{};
    const auto dispatchMgr = mediaDispatchMgr.lock();
    if (!dispatchMgr) {
        QRC_WARN("mediaDispatchMgr is null");
        return record;
    }
    record.type = type;
    dispatchMgr->fillRenderCtrlMgrCallBackCommon(record);
    return record;
}

std::vector<LayoutAttribute> RenderCtrlMgr::Impl::layoutPropertyCallback() const {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return {};
    }
    return layout->getLayoutAttributes();
}

// True when the render view has no patch selected.
bool RenderCtrlMgr::Impl::patchSelectStatusCallback() const {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return false;
    }
    const auto view = layout->getRenderView().lock();
    if (!view) {
        QRC_WARN("renderView is null");
        return false;
    }
    return view->getSelectedPatches().empty();
}

}  // namespace qorva::mediadispatch
