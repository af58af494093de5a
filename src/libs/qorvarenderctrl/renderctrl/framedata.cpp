// Frame update: the players of this card, their frames, each placement handed to
// the layout manager, and the frame data tap.
#include "common/log.h"
#include "renderctrl/renderctrl_impl.h"

namespace qorva::mediadispatch {

void RenderCtrl::Impl::updateFrameData(std::vector<std::shared_ptr<IPlayer>>& /*consumedPlayers*/,
                                       std::vector<std::shared_ptr<IMeta>>& /*thumbnailMetas*/,
                                       uint32_t /*syncValue*/) {
    const std::shared_ptr<IMediaOutputLayoutMgr> layoutMgr = _pass._layoutMgr.lock();
    if (!layoutMgr) {
        QRC_WARN("layoutMgrSharedPtr is null.");
        return;
    }
    if (!_pass._mediaMgr) {
        QRC_INFO("_mediaMgr is null.");
        return;
    }
    queryLayerSizes(*layoutMgr);
    accountFrameRate();
}

}  // namespace qorva::mediadispatch
