// The update pass: one frame from every input source at the host's external clock,
// each placement rendered for the frame taps.
#include "common/log.h"
#include "common/platform.h"
#include "inputsourcerenderctrl/inputsourcerenderctrl_impl.h"
#include "qorvahost/tavcore.h"

namespace qorva::mediadispatch {

namespace {

constexpr int64_t kRenderIntervalNs = 5'000'000;
constexpr int32_t kTapWidth = 150;
constexpr int32_t kTapHeight = 84;
constexpr uint32_t kInputLayerNumber = 4096;
constexpr uint32_t kInputMediaKind = 14;

qorva::mediaoutput::LayerFrameInfo freshRecord() {
    qorva::mediaoutput::LayerFrameInfo record;
    record.layerNumber = kInputLayerNumber;
    return record;
}

}  // namespace

void InputSourceRenderCtrl::Impl::updateInputFrameData(std::vector<std::shared_ptr<IPlayer>>& players) {
    if (!_pass.mediaMgr) {
        QRC_INFO("_mediaMgr is null.");
        return;
    }
    // Shared by every controller of the process: rendering is due at most every 5 ms.
    const int64_t now = renderctrl::platform::steadyNanoseconds();
    static std::atomic<bool> renderDue{true};
    static std::atomic<int64_t> lastPassTime{now};
    if (now - lastPassTime >= kRenderIntervalNs) {
        lastPassTime = now;
        renderDue = true;
    }
    const double clock = zq::avcore::PlayerGlobalSettings::getExtClock();

    std::lock_guard lock(updateMutex);
    std::vector<InputSourceItem> items;
    _pass.mediaMgr->getInputSources(items, "", false);
    syncStreamSourceTracking(items, now);
    for (const InputSourceItem& item : items) {
        LayerFrameInfo record = freshRecord();
        if (!takeFrame(item, clock, now, players, record)) continue;
        // Nothing due: the frames of this item and the rest wait for a later pass.
        if (!renderDue) return;
        inputSourceRenderFrame(record, item);
    }
    renderDue = false;
}

// Returns whether the item's player delivered a frame (now in the record).
bool InputSourceRenderCtrl::Impl::takeFrame(const InputSourceItem& item, double clock, int64_t now,
                                            std::vector<std::shared_ptr<IPlayer>>& players, LayerFrameInfo& record) {
    std::shared_ptr<IPlayer> player = item.sharedPlayer.lock();
    if (!player) return false;
    zq::mediacore::IFrame* frame = player->getFrame(clock);
    if (!frame) {
        checkStreamSourceOnlineStatus(item, now);
        return false;
    }
    stampStreamSourceFrames(item, now);
    players.push_back(std::move(player));
    record.frame = frame;
    record.fps = frame->getFps();
    return true;
}

void InputSourceRenderCtrl::Impl::inputSourceRenderFrame(LayerFrameInfo& record, const InputSourceItem& item) {
    const std::shared_ptr<IRenderFacade> facade = _pass.renderFacade.lock();
    if (!facade) {
        QRC_WARN("renderFacade is null.");
        return;
    }
    const auto& frameTap = _pass.frameDataCallBack;
    const auto& inputTap = _pass.inputFrameDataUpdateCallBack;
    for (const tarsel::InputSourceEntry& placement : item.placements) {
        record.layerId = placement.id;
        record.x = placement.x;
        record.y = placement.y;
        record.width = placement.width;
        record.height = placement.height;
        if (!frameTap) {
            if (inputTap) (*inputTap)(placement.id, record.frame);
            continue;
        }
        if (!frameDataSwitch || !editClientConnected) continue;
        zq::mediacore::IFrame tap;
        tap.setFps(record.fps);
        facade->scaleInputFrame(record, &tap, kTapWidth, kTapHeight, item.scaleKey);
        const MediaInfo info{
            record.firstId, record.secondId, record.layerId, 0, item.layerNumber, kInputMediaKind, true};
        if (tap.kframe()) (*frameTap)(info, &tap);
        if (inputTap) (*inputTap)(placement.id, &tap);
    }
}

}  // namespace qorva::mediadispatch
