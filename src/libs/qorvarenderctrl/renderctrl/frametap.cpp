// Each placement of a player to the layout manager, and the frame data tap: a
// down-scaled copy of the drawn frame, sized per layer and throttled per player.
#include <algorithm>

#include "common/log.h"
#include "renderctrl/renderctrl_impl.h"

namespace qorva::mediadispatch {

namespace {

// Sources of this type are drawn by the host itself, unless it runs as a client.
constexpr int32_t kSelfDrawnSourceType = 4;
constexpr uint32_t kTapKind = 14;
// The tap size of a layer without a size entry, and of one whose entry is 0x0.
constexpr uint32_t kPresetWidth = 320;
constexpr uint32_t kPresetHeight = 180;
constexpr uint32_t kUnsizedWidth = 160;
constexpr uint32_t kUnsizedHeight = 90;

void setPlacement(LayerFrameInfo& rec, const InputSourceEntry& placement) {
    rec.layerId = placement.id;
    rec.x = placement.x;
    rec.y = placement.y;
    rec.width = placement.width;
    rec.height = placement.height;
}

MediaInfo tapMediaInfo(const LayerFrameInfo& rec) {
    return MediaInfo{rec.firstId, rec.secondId, rec.layerId, 0, rec.layerNumber, kTapKind, true};
}

}  // namespace

void RenderCtrl::Impl::renderFrame(LayerFrameInfo& rec, const InputSourceItem& player, int index) {
    if (!isUpdateFrame(player)) return;
    if (!_locked.renderFacade) {
        QRC_WARN("renderFacade is null.");
        return;
    }
    if (!_locked.mediaDispatchMgr) {
        QRC_WARN("mediaDispatchMgr is null.");
        return;
    }
    if (!_locked.layoutMgr) {
        QRC_WARN("layoutMgrSharedPtr is null.");
        return;
    }
    PlayerDrawState& state = _playerStates[index];
    for (const InputSourceEntry& placement : player.placements) {
        setPlacement(rec, placement);
        if (!_pass._frameDataCallBack || rec.noNewFrame == 1) {
            updateLayer(rec);
            continue;
        }
        rec.fps = std::min(rec.fps, _fps);
        reportMasterFrameTime(rec);
        if (player.tapUnscaled) rec.isStatic = 1;
        updateLayer(rec);
        if (!shouldTapFrameData(player.tapEnabled, rec.layerId)) continue;
        if (state.skipCounter == 0) makeTapFrame(rec, player, state);
        advanceSkipCounter(state);
    }
}

void RenderCtrl::Impl::updateLayer(const LayerFrameInfo& rec) {
    const uint64_t t = getLocalTimeMs();
    _locked.layoutMgr->updateLayerFrame(rec);
    updateFrameDataTime += getLocalTimeMs() - t;
}

// The frame sync master follows the frame time of the check layer.
void RenderCtrl::Impl::reportMasterFrameTime(const LayerFrameInfo& rec) {
    const int32_t checkLayerIndex = _frameSyncCheckLayerIndex;
    if (!_frameSyncFlag || checkLayerIndex < 0) return;
    std::string name;
    _locked.mediaDispatchMgr->getCheckLayerName(name, checkLayerIndex, rec.layerId, rec.layerNumber);
    // A still layer has no frame, hence no time to report.
    if (!name.empty() && rec.frame) _pass._mediaMgr->setMasterFrameTime(name, rec.frame->getTime());
}

// skipCounter counts the passes since the player's last scaling: with a
// jumpScaleFrameCnt of N a player is scaled once every N + 1 passes.
void RenderCtrl::Impl::advanceSkipCounter(PlayerDrawState& state) const {
    if (jumpScaleFrameCnt == 0) {
        state.skipCounter = 0;
        return;
    }
    ++state.skipCounter;
    if (static_cast<uint64_t>(state.skipCounter) > jumpScaleFrameCnt) state.skipCounter = 0;
}

// The layer's tap size fitted to the frame. A layer without a size entry keeps the
// preset; an entry of 0x0 gives the unsized tap and marks the layer unscaled, and
// such a layer is tapped again only when a new second asks for a rescale. Returns
// whether the tap is made now.
bool RenderCtrl::Impl::fitTapSize(const LayerFrameInfo& rec, PlayerDrawState& state, uint32_t& width,
                                  uint32_t& height) const {
    width = kPresetWidth;
    height = kPresetHeight;
    lookupLayerSize(rec.layerId, rec.layerNumber, width, height);
    state.scaled = width != 0 || height != 0;
    if (!state.scaled) {
        width = kUnsizedWidth;
        height = kUnsizedHeight;
    }
    if (!state.scaled && !state.rescale) return false;
    state.rescale = false;
    getFitWidthAndHeight(rec.frame, width, height);
    return true;
}

// The tap frame is made before the size lookup, also when no tap is made after all.
void RenderCtrl::Impl::makeTapFrame(LayerFrameInfo& rec, const InputSourceItem& player, PlayerDrawState& state) {
    const uint64_t t = getLocalTimeMs();
    IFrame tap;
    tap.setFps(rec.fps);
    uint32_t width = 0;
    uint32_t height = 0;
    if (!fitTapSize(rec, state, width, height)) return;
    if (!player.tapUnscaled) _locked.renderFacade->scaleLayerFrame(rec, &tap, width, height, player.scaleKey, false);
    mediaDataScaleTime += getLocalTimeMs() - t;
    const MediaInfo info = tapMediaInfo(rec);
    state.tapState = 1;
    state.tapTime = static_cast<int64_t>(getLocalTimeMs());
    state.tapWidth = width;
    state.tapHeight = height;
    state.tapFps = rec.fps;
    if (player.tapUnscaled) {
        callTap(info, rec.frame);
    } else if (tap.kframe()) {
        callTap(info, &tap);
    }
}

void RenderCtrl::Impl::callTap(const MediaInfo& info, const IFrame* frame) {
    const std::shared_ptr<const FrameDataCallBack> tap = _pass._frameDataCallBack;
    if (tap) (*tap)(info, frame);
}

// Delivers the player's last tap again, scaled from its stored size.
void RenderCtrl::Impl::renderScaleCatch(LayerFrameInfo& rec, const InputSourceItem& player, int index, bool isStatic) {
    if (!_locked.renderFacade) {
        QRC_WARN("renderFacade is null.");
        return;
    }
    PlayerDrawState& state = _playerStates[index];
    for (const InputSourceEntry& placement : player.placements) {
        setPlacement(rec, placement);
        if (!_pass._frameDataCallBack || _linkState || !_frameDataSwitch || !player.tapEnabled) continue;
        if (isStatic) {
            _locked.renderFacade->catchLayerFrame(rec);
            continue;
        }
        IFrame tap;
        tap.setFps(rec.fps);
        _locked.renderFacade->scaleLayerFrame(rec, &tap, static_cast<uint32_t>(state.tapWidth),
                                              static_cast<uint32_t>(state.tapHeight), player.scaleKey, true);
        const MediaInfo info = tapMediaInfo(rec);
        if (!tap.kframe()) continue;
        callTap(info, &tap);
        state.tapFps = rec.fps;
    }
}

// After a layout change, a player without a new frame gets a tap in its layer's new
// size, unless its taps run at 2 fps or more and the next frame will bring one.
void RenderCtrl::Impl::reUpdateEcho(LayerFrameInfo& rec, const InputSourceItem& player, int index) {
    PlayerDrawState& state = _playerStates[index];
    if (player.tapUnscaled || !isUpdateFrame(player) || state.tapFps > 1) return;
    if (!_locked.renderFacade) {
        QRC_WARN("renderFacade is null.");
        return;
    }
    for (const InputSourceEntry& placement : player.placements) {
        setPlacement(rec, placement);
        if (!_pass._frameDataCallBack || rec.noNewFrame != 0) continue;
        rec.fps = state.tapFps;
        if (shouldTapFrameData(player.tapEnabled, rec.layerId) && state.skipCounter == 0)
            echoTapFrame(rec, player, state);
    }
}

void RenderCtrl::Impl::echoTapFrame(LayerFrameInfo& rec, const InputSourceItem& player, PlayerDrawState& state) {
    const uint64_t t = getLocalTimeMs();
    IFrame tap;
    tap.setFps(rec.fps);
    uint32_t width = 0;
    uint32_t height = 0;
    if (!fitTapSize(rec, state, width, height)) return;
    if (width == state.tapWidth && height == state.tapHeight) return;
    _locked.renderFacade->scaleLayerFrame(rec, &tap, width, height, player.scaleKey, false);
    mediaDataScaleTime += getLocalTimeMs() - t;
    const MediaInfo info = tapMediaInfo(rec);
    if (!tap.kframe()) return;
    callTap(info, &tap);
    state.tapState = 1;
    state.tapTime = static_cast<int64_t>(getLocalTimeMs());
    state.tapWidth = width;
    state.tapHeight = height;
    state.tapFps = rec.fps;
}

bool RenderCtrl::Impl::isUpdateFrame(const InputSourceItem& player) const {
    if (_pass._zqRuntime && _pass._zqRuntime->isClientMode()) return true;
    const std::shared_ptr<IPlayer> shared = player.sharedPlayer.lock();
    if (!shared) {
        QRC_WARN("sharedPlayer is null.");
        return true;
    }
    const std::shared_ptr<IMeta> meta = shared->getMeta();
    if (!meta) {
        QRC_WARN("sharedMeta is null.");
        return true;
    }
    return meta->getSourceType() != kSelfDrawnSourceType;
}

// Taps stop while no edit client is connected, for every layer: keeping the layers
// tapped while one was connected would keep nearly all of them, and nothing else
// asks for taps then. So no per-layer exception set is kept and the id is unused.
bool RenderCtrl::Impl::shouldTapFrameData(bool tapEnabled, uint64_t /*layerId*/) const {
    return !_linkState && _frameDataSwitch && tapEnabled && _editConnected;
}

// Landscape frames get the box width and a proportional height; portrait frames get
// the box width as height and a proportional width. Truncates toward zero.
void RenderCtrl::Impl::getFitWidthAndHeight(const IFrame* frame, uint32_t& width, uint32_t& height) {
    if (!frame) {
        QRC_ERR("frame is null");
        return;
    }
    const int32_t frameWidth = frame->getWidth();
    const int32_t frameHeight = frame->getHeight();
    const float aspect = static_cast<float>(frameWidth) / static_cast<float>(frameHeight);
    if (!(aspect > 0.0f)) return;  // no picture (or a nonsensical size): the box stays
    const auto box = static_cast<float>(width);
    if (aspect < 1.0f) {
        height = width;
        width = static_cast<uint32_t>(box * aspect);
    } else {
        height = static_cast<uint32_t>(box / aspect);
    }
}

}  // namespace qorva::mediadispatch
