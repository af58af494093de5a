// One draw pass: players → layout manager → facade draw → output textures →
// release of what the pass consumed → end of frame, with timing statistics and the
// frame-rate count.
#include <algorithm>
#include <vector>

#include "common/log.h"
#include "common/platform.h"
#include "renderctrl/renderctrl_impl.h"

namespace qorva::mediadispatch {

namespace {

int64_t since(uint64_t later, uint64_t earlier) { return static_cast<int64_t>(later - earlier); }

// The controllers whose draw pass runs on this thread, innermost last (a tap may
// start a pass of another card).
thread_local std::vector<RenderCtrl::Impl*> passesOnThisThread;

// Holds a controller's pass lock for one pass, marks the pass as running and the
// thread as inside it. At its end the pass lets go of the services it copied, the
// tap among them, so that nothing keeps a cleared tap between passes.
class PassScope {
public:
    explicit PassScope(RenderCtrl::Impl& controller) : _controller(controller), _lock(controller._passMutex) {
        passesOnThisThread.push_back(&controller);
        const std::lock_guard state(controller._passStateMutex);
        controller._passActive = true;
    }
    ~PassScope() {
        passesOnThisThread.pop_back();
        _controller._pass = {};
        {
            const std::lock_guard state(_controller._passStateMutex);
            _controller._passActive = false;
        }
        _controller._passStateChanged.notify_all();
    }
    PassScope(const PassScope&) = delete;
    PassScope& operator=(const PassScope&) = delete;

private:
    RenderCtrl::Impl& _controller;
    std::lock_guard<std::mutex> _lock;
};

void markTeardown(int delta) {
    for (RenderCtrl::Impl* controller : passesOnThisThread) {
        {
            const std::lock_guard state(controller->_passStateMutex);
            controller->_passTeardowns += delta;
        }
        controller->_passStateChanged.notify_all();
    }
}

}  // namespace

bool RenderCtrl::Impl::insidePass() { return !passesOnThisThread.empty(); }

bool RenderCtrl::Impl::insideOwnPass() const {
    return std::find(passesOnThisThread.begin(), passesOnThisThread.end(), this) != passesOnThisThread.end();
}

// Only a caller inside a pass can be waited for by a pass in a teardown; a host thread
// outside any pass waits for that pass too, which may still call the old tap.
void RenderCtrl::Impl::awaitPassOutOfTheWay() {
    const bool callerInsidePass = insidePass();
    std::unique_lock state(_passStateMutex);
    _passStateChanged.wait(state, [&] { return !_passActive || (callerInsidePass && _passTeardowns > 0); });
}

RenderCtrl::TeardownScope::TeardownScope() { markTeardown(1); }
RenderCtrl::TeardownScope::~TeardownScope() { markTeardown(-1); }

void RenderCtrl::Impl::updateFrameData(uint32_t syncValue) {
    const PassScope scope(*this);
    const uint64_t t0 = getLocalTimeMs();
    getPlayersTime = orgthumbnailTime = renderFrameTime = updateFrameDataTime = mediaDataScaleTime = 0;
    _pass = services();
    const std::shared_ptr<IRenderFacade> facade = _pass._renderFacade.lock();
    if (!facade) {
        QRC_WARN("renderFacade is null.");
        return;
    }
    std::vector<std::shared_ptr<IPlayer>> consumedPlayers;
    std::vector<std::shared_ptr<IMeta>> thumbnailMetas;
    uint64_t t1 = 0, t2 = 0, t3 = 0;
    try {
        updateFrameData(consumedPlayers, thumbnailMetas, syncValue);
        t1 = getLocalTimeMs();
        facade->render();
        t2 = getLocalTimeMs();
        updateOutputTexture();
        t3 = getLocalTimeMs();
    } catch (...) {
        // A host call threw: what the pass took goes back before it gives up.
        _locked = {};
        giveBack(thumbnailMetas, consumedPlayers);
        _passFrames.clear();
        throw;
    }
    giveBack(thumbnailMetas, consumedPlayers);
    const uint64_t t4 = getLocalTimeMs();
    facade->endFrame();
    const uint64_t t5 = getLocalTimeMs();
    if (since(t5, t0) > 10) {
        QRC_INFO(
            "draw time:{} update:{} draw:{} updateOutput:{} release:{} getPlayersTime:{} orgthumbnailTime:{} "
            "renderFrameTime:{} updateFrameDataTime:{} mediaDataScaleTime:{} jumpScaleFrameCnt:{}",
            since(t5, t0), since(t1, t0), since(t2, t1), since(t3, t2), since(t4, t3), getPlayersTime, orgthumbnailTime,
            renderFrameTime, updateFrameDataTime, mediaDataScaleTime, jumpScaleFrameCnt);
    }
    updateScaleSkip();
    if (_fps > 75) zqSleep(1);
    _passFrames.clear();
}

void RenderCtrl::Impl::giveBack(const std::vector<std::shared_ptr<IMeta>>& thumbnailMetas,
                                const std::vector<std::shared_ptr<IPlayer>>& consumedPlayers) {
    for (const auto& meta : thumbnailMetas) {
        QRC_WARN_AS("updateFrameData", "destroyOrgThumbnail RenderCtrl::updateFrameData end meta.id{}", meta->getId());
        meta->destroyOrgThumbnail();
    }
    for (const auto& player : consumedPlayers) player->frameConsumed();
}

// Called by the frame update after the layer size query. A second with N passes
// leaves N-1 in _fps; the log line shows N. Returns whether this pass logs it.
bool RenderCtrl::Impl::accountFrameRate() {
    const int64_t now = renderctrl::platform::wallClockSeconds();
    const auto elapsed = static_cast<uint64_t>(now - _lastFpsLogTime);
    const bool logThisPass = elapsed >= 10;
    if (logThisPass) {
        _lastFpsLogTime = now;
        QRC_INFO_AS("updateFrameData", "draw fps:{}", _fps + 1);
    }
    if (now != _fpsSecond) {
        _fps = _fpsCount;
        _fpsCount = 0;
        _fpsSecond = now;
        for (auto& state : _playerStates)
            if (!state.scaled) state.rescale = true;
    } else {
        ++_fpsCount;
    }
    return logThisPass;
}

// How many passes a player's tap scaling is skipped. A pass whose scaling took more
// than 10 ms raises the count by one, up to 2, so that a slow scaler skips frames
// instead of stalling the card; every 5 s without such a pass lowers it by one.
void RenderCtrl::Impl::updateScaleSkip() {
    const int64_t now = renderctrl::platform::wallClockSeconds();
    if (mediaDataScaleTime > 10) {
        jumpScaleFrameCnt = std::min<uint64_t>(jumpScaleFrameCnt + 1, 2);
        _jumpScaleStamp = now;
    } else if (jumpScaleFrameCnt != 0 && now - _jumpScaleStamp > 5) {
        --jumpScaleFrameCnt;
        _jumpScaleStamp = now;
    }
}

}  // namespace qorva::mediadispatch
