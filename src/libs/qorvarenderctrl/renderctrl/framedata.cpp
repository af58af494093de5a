// Frame update: the players of this card, a frame from each (or the thumbnail of its
// media), and each placement handed on to the layout manager and the frame data tap.
#include "common/log.h"
#include "renderctrl/renderctrl_impl.h"

namespace qorva::mediadispatch {

namespace {
// A player that stopped delivering frames gets one catch-up tap after this long.
constexpr int64_t kCatchUpMs = 150;
}  // namespace

void RenderCtrl::Impl::updateFrameData(std::vector<std::shared_ptr<IPlayer>>& consumedPlayers,
                                       std::vector<std::shared_ptr<IMeta>>& thumbnailMetas, uint32_t syncValue) {
    std::shared_ptr<IMediaOutputLayoutMgr> layoutMgr = _pass._layoutMgr.lock();
    if (!layoutMgr) {
        QRC_WARN("layoutMgrSharedPtr is null.");
        return;
    }
    if (!_pass._mediaMgr) {
        QRC_INFO("_mediaMgr is null.");
        return;
    }
    const bool layoutChanged = queryLayerSizes(*layoutMgr);
    const bool logFrameRate = accountFrameRate();

    std::vector<InputSourceItem> players;
    const uint64_t t = getLocalTimeMs();
    _pass._mediaMgr->getInputSources(players, _cardName, true);
    getPlayersTime = getLocalTimeMs() - t;
    if (players.size() != _playerStates.size()) _playerStates.assign(players.size(), PlayerDrawState{});

    _locked = {_pass._renderFacade.lock(), _pass._mediaDispatchMgr.lock(), std::move(layoutMgr)};
    FrameUpdate update{consumedPlayers, thumbnailMetas, syncValue, layoutChanged, logFrameRate};
    for (size_t i = 0; i < players.size(); ++i) updatePlayer(players[i], static_cast<int>(i), update);
    _locked = {};
}

void RenderCtrl::Impl::updatePlayer(const InputSourceItem& player, int index, FrameUpdate& update) {
    const std::shared_ptr<IMeta> thumbnail = player.thumbnailMeta.lock();
    const std::shared_ptr<IPlayer> live = player.sharedPlayer.lock();
    LayerFrameInfo rec;
    rec.layerNumber = player.layerNumber;
    if (thumbnail) {
        drawThumbnail(rec, player, index, thumbnail, update);
    } else if (player.isStatic) {
        rec.isStatic = 1;
        rec.scaleKey = player.scaleKey;
        renderScaleCatch(rec, player, index, true);
        drawWithFrame(rec, player, index, nullptr, update);
    } else if (live) {
        drawLive(rec, player, index, live, update);
    }
}

// The media's thumbnail stands in for the player: its current frame while online
// (only worth taking for the tap), else its original thumbnail frame, which is
// destroyed once the pass has drawn it.
void RenderCtrl::Impl::drawThumbnail(LayerFrameInfo& rec, const InputSourceItem& player, int index,
                                     const std::shared_ptr<IMeta>& meta, FrameUpdate& update) {
    const uint64_t t = getLocalTimeMs();
    std::shared_ptr<IFrame> frame;
    if (player.thumbnailOnline) {
        if (_pass._frameDataCallBack) frame = meta->getCurrentFrame();
    } else {
        frame = meta->getOrgThumbFrame();
        QRC_WARN_AS("updateFrameData", "destroyOrgThumbnail RenderCtrl::updateFrameData begin meta.id{}",
                    meta->getId());
    }
    orgthumbnailTime += getLocalTimeMs() - t;
    if (!frame) return;
    if (!player.thumbnailOnline) update.thumbnailMetas.push_back(meta);
    // The layout manager and the facade use the raw pointer until the pass ends.
    _passFrames.push_back(frame);
    rec.noNewFrame = 1;
    rec.scaleKey = player.scaleKey;
    renderScaleCatch(rec, player, index, true);
    drawWithFrame(rec, player, index, frame.get(), update);
}

void RenderCtrl::Impl::drawLive(LayerFrameInfo& rec, const InputSourceItem& player, int index,
                                const std::shared_ptr<IPlayer>& live, FrameUpdate& update) {
    const double clock = _getFrameTime;
    IFrame* frame = live->getFrame(clock);
    if (!frame) {
        catchUpSilent(rec, player, index, update.layoutChanged);
        return;
    }
    update.consumedPlayers.push_back(live);
    rec.fps = frame->getFps();
    rec.noNewFrame = 0;
    _lastGetFrameTime = clock;
    _lastFrameTime = frame->getTime();
    drawWithFrame(rec, player, index, frame, update);
}

// A player without a new frame: re-sizes its tap after a layout change, and gets one
// catch-up tap when its last tap is older than kCatchUpMs.
void RenderCtrl::Impl::catchUpSilent(LayerFrameInfo& rec, const InputSourceItem& player, int index,
                                     bool layoutChanged) {
    if (layoutChanged) reUpdateEcho(rec, player, index);
    PlayerDrawState& state = _playerStates[index];
    if (state.tapState != 1 || static_cast<int64_t>(getLocalTimeMs()) - state.tapTime <= kCatchUpMs) return;
    state.tapState = 0;
    rec.scaleKey = player.scaleKey;
    renderScaleCatch(rec, player, index, false);
}

void RenderCtrl::Impl::drawWithFrame(LayerFrameInfo& rec, const InputSourceItem& player, int index, IFrame* frame,
                                     const FrameUpdate& update) {
    rec.frame = frame;
    rec.scaleKey = player.scaleKey;
    rec.syncValue = update.syncValue;
    rec.syncTag = player.syncTag;
    if (update.logFrameRate && frame) QRC_INFO_AS("updateFrameData", "{} frame fps:{}", player.name, frame->getFps());
    const uint64_t t = getLocalTimeMs();
    renderFrame(rec, player, index);
    renderFrameTime += getLocalTimeMs() - t;
}

}  // namespace qorva::mediadispatch
