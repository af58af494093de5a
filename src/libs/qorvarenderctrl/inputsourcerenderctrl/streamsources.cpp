// Online state of stream sources: a tracked source that delivers no frame for
// 10.001 s is marked offline, and again every 10.001 s while it stays silent.
// While the input-frame tap is set nothing is tracked.
#include "common/log.h"
#include "inputsourcerenderctrl/inputsourcerenderctrl_impl.h"

namespace qorva::mediadispatch {

namespace {

constexpr int64_t kOfflineAfterNs = 10'001'000'000;
// Sources of this type are never tracked.
constexpr int32_t kUntrackedSourceType = 7;

}  // namespace

// Only the first placement of each item is tracked, in the rebuild and in the
// pruning alike: a later placement would be dropped and re-inserted with the current
// time on every pass and never reach the threshold, and tracking every placement
// would report one silent source once per placement.
void InputSourceRenderCtrl::Impl::syncStreamSourceTracking(const std::vector<InputSourceItem>& items, int64_t now) {
    if (_pass.inputFrameDataUpdateCallBack) return;
    std::map<uint64_t, int64_t> tracked;
    for (const InputSourceItem& item : items) {
        const auto meta = item.thumbnailMeta.lock();
        if (meta && meta->getSourceType() == kUntrackedSourceType) continue;
        if (!item.placements.empty()) tracked.emplace(item.placements.front().id, now);
    }
    std::erase_if(streamSourceLastFrame, [&](const auto& entry) { return !tracked.count(entry.first); });
    streamSourceLastFrame.merge(tracked);  // known ids keep their time
}

void InputSourceRenderCtrl::Impl::stampStreamSourceFrames(const InputSourceItem& item, int64_t now) {
    if (_pass.inputFrameDataUpdateCallBack) return;
    for (const tarsel::InputSourceEntry& placement : item.placements) {
        const auto it = streamSourceLastFrame.find(placement.id);
        if (it != streamSourceLastFrame.end()) it->second = now;
    }
}

void InputSourceRenderCtrl::Impl::checkStreamSourceOnlineStatus(const InputSourceItem& item, int64_t now) {
    if (_pass.inputFrameDataUpdateCallBack) return;
    const auto meta = item.thumbnailMeta.lock();
    if (!meta) {
        QRC_WARN("meta is nullptr!");
        return;
    }
    for (const tarsel::InputSourceEntry& placement : item.placements) {
        const auto it = streamSourceLastFrame.find(placement.id);
        if (it == streamSourceLastFrame.end() || now - it->second < kOfflineAfterNs) continue;
        QRC_INFO("InputSourceRenderCtrl::Impl::checkStreamSourceOnlineStatus set Meta.isOnline = false url:{}, id:{}",
                 meta->getUrl(), placement.id);
        meta->setIsOnline(false);
        it->second = now;
    }
}

}  // namespace qorva::mediadispatch
