// The manager's services: what each set and unset operation stores, forwards to the
// render controllers and connects, and the creation of one controller per card.
#include <algorithm>
#include <cstdlib>
#include <utility>

#include "common/log.h"
#include "renderctrlmgr/connections.h"

namespace qorva::mediadispatch {

namespace {

// A card text reads "#<index>(<name>)": the index is read from the second character,
// the name lies between the first "(" and the last character.
struct CardIdentity {
    int index = 0;
    std::string name;
};

CardIdentity parseCardText(const std::string& text) {
    const auto open = text.find('(');
    if (open == std::string::npos) return {};
    CardIdentity card;
    card.index = std::atoi(text.c_str() + 1);
    if (text.size() >= open + 2) card.name = text.substr(open + 1, text.size() - open - 2);
    return card;
}

bool drivenByFrameSync(const std::string& cardText, IFrameSync* frameSync) {
    return frameSync && cardText.find("NVIDIA") != std::string::npos && cardText.find("T400") == std::string::npos;
}

}  // namespace

RenderCtrlMgr::Impl::Impl(RenderCtrlMgr* owner) : owner(owner) {}

// A host that drops the manager without release() still gets every thread stopped
// (its frame sync objects are ended too, though the host did not ask for it, because
// their threads would otherwise call render contexts that die with this Impl):
// the frame sync objects go first, so that their threads stop calling the render
// contexts, then the controllers join their threads as they are destroyed. Dropped on
// a frame sync library's thread, the objects are ended after this Impl is gone, by a
// thread that keeps the render contexts alive until then.
RenderCtrlMgr::Impl::~Impl() {
    const RenderCtrl::TeardownScope teardown;  // as in release()
    stopFrameSyncTimer();
    destroyFrameSync();
}

void RenderCtrlMgr::Impl::setMediaDispatchMgr(std::weak_ptr<IMediaDispatchMgr> mgr) {
    forEachController([&](const std::string&, RenderCtrl& c) { c.setMediaDispatchMgr(mgr); });
    mediaDispatchMgr.set(mgr);
    const auto shared = mgr.lock();
    if (!shared) {
        QRC_WARN("shareDispatchMgr is null");
        return;
    }
    dispatchWiring.open();
    visitDispatchMgrConnections(*shared, [this](auto& signal, auto pmf) { signal.connect(pmf, weak_from_this()); });
}

// Every dispatch ends unwired, also one an emission that began before this call is
// wiring now (waited for) or would wire later (it finds the manager unwired). The
// dispatch manager's list is read before the wiring lock is taken, so that a host
// that emits while holding its own lock cannot deadlock against it.
void RenderCtrlMgr::Impl::unsetMediaDispatchMgr() {
    forEachController([](const std::string&, RenderCtrl& c) { c.unsetMediaDispatchMgr(); });
    const auto shared = mediaDispatchMgr.lock();
    if (!shared) {
        QRC_INFO("mediaDispatchMgr is null.");
        return;
    }
    dispatchWiring.close(renderctrl::liveDispatches(*shared),
                         [this](IDispatch& dispatch) { unwireDispatch(dispatch); });
    visitDispatchMgrConnections(*shared, [this](auto& signal, auto pmf) { signal.disconnect(pmf, this); });
}

// The host hands in a live media manager; a null one is only stored.
void RenderCtrlMgr::Impl::setMediaMgr(tarsel::IMediaMgr* mgr) {
    forEachController([&](const std::string&, RenderCtrl& c) { c.setMediaMgr(mgr); });
    _mediaMgr = mgr;
    if (!mgr) return;
    visitMediaMgrConnections(*mgr, [this](auto& signal, auto pmf) { signal.connect(pmf, weak_from_this()); });
}

void RenderCtrlMgr::Impl::unsetMediaMgr() {
    forEachController([](const std::string&, RenderCtrl& c) { c.unsetMediaMgr(); });
    if (tarsel::IMediaMgr* mgr = _mediaMgr) {
        visitMediaMgrConnections(*mgr, [this](auto& signal, auto pmf) { signal.disconnect(pmf, this); });
        mgr->mediaMgrDetached();
    }
    _mediaMgr = nullptr;
}

void RenderCtrlMgr::Impl::setOutPutLayoutMgr(std::weak_ptr<IMediaOutputLayoutMgr> mgr) {
    forEachController([&](const std::string&, RenderCtrl& c) { c.setOutPutLayoutMgr(mgr); });
    const auto shared = mgr.lock();
    if (!shared) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    layoutMgr.set(mgr);
    visitLayoutMgrConnections(*shared, [this](auto& signal, auto pmf) { signal.connect(pmf, this); });
    shared->setCurrentLayoutUsableLayerCallback([this] { return currentLayoutUsableLayerCallback(); });
    shared->setLayerLockStateCallback([this](uint64_t layerId) { return getLayerLockStateCallback(layerId); });
    const auto view = shared->getRenderView().lock();
    if (!view) return;
    visitRenderViewConnections(*view, [this](auto& signal, auto pmf) { signal.connect(pmf, this); });
    view->setCurrentLayoutUsableLayerCallback([this] { return currentLayoutUsableLayerCallback(); });
    view->setLayerLockStateCallback([this](uint64_t layerId) { return getLayerLockStateCallback(layerId); });
    view->setRenderCtrlMgrCallBackCommon(
        [this](RenderCtrlMgrCallBackType type) { return getRenderCtrlMgrCallBackCommon(type); });
}

void RenderCtrlMgr::Impl::unsetOutPutLayoutMgr() {
    forEachController([](const std::string&, RenderCtrl& c) { c.unsetOutPutLayoutMgr(); });
    const auto shared = layoutMgr.lock();
    if (!shared) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    visitLayoutMgrConnections(*shared, [this](auto& signal, auto pmf) { signal.disconnect(pmf, this); });
    shared->setCurrentLayoutUsableLayerCallback({});
    shared->setLayerLockStateCallback({});
    const auto view = shared->getRenderView().lock();
    if (!view) return;
    visitRenderViewConnections(*view, [this](auto& signal, auto pmf) { signal.disconnect(pmf, this); });
    view->setCurrentLayoutUsableLayerCallback({});
    view->setLayerLockStateCallback({});
    view->setRenderCtrlMgrCallBackCommon({});
}

void RenderCtrlMgr::Impl::setRenderFacade(std::weak_ptr<IRenderFacade> facade) {
    renderFacade.set(facade);
    const auto shared = facade.lock();
    if (!shared) return;  // the host hands in a live facade; nothing to list without one
    std::vector<qorva::mediaoutput::DisplayCardInfo> cards;
    shared->getDisplayCards(cards);
    int masterIndex = 0;
    std::shared_lock frameSyncLock(frameSyncMutex);
    IFrameSync* frameSync = _frameSync;
    for (const auto& card : cards) {
        // A card text already in the table keeps its controller; no second one is made
        // for it, so no controller is ever dropped while its thread runs.
        {
            std::shared_lock lock(renderCtrlsMutex);
            if (renderCtrls.count(card.text)) continue;
        }
        auto controller = std::make_shared<RenderCtrl>();
        controller->setCardName(card.text);
        std::weak_ptr<IRenderFacade> cardFacade;
        shared->getCardRenderFacade(cardFacade, card);
        controller->setRenderFacade(cardFacade);

        if (drivenByFrameSync(card.text, frameSync)) {
            const CardIdentity identity = parseCardText(card.text);
            if (!_frameSyncRenderCtrl.lock()) {
                _frameSyncRenderCtrl.set(controller);
                masterIndex = identity.index;
            }
            auto context = std::make_shared<FrameSyncRenderCtx>(controller);
            frameSyncRenderCtxs.push_back(context);
            frameSync->addRenderCtx(context.get(), identity.index, identity.name.c_str());
            frameSync->setSyncMode(frameSyncMode);
            controller->setFrameSyncCheckLayerIndex(frameSyncCheckLayerIndex);
        } else {
            controller->start();
        }

        // The settings and the insertion under one exclusive lock, so that a concurrent
        // setFrameDataSwitch or setLinkState reaches this controller.
        std::unique_lock lock(renderCtrlsMutex);
        controller->setMediaDispatchMgr(mediaDispatchMgr.get());
        controller->setMediaMgr(_mediaMgr);
        controller->setOutPutLayoutMgr(layoutMgr.get());
        controller->setFrameDataSwitch(frameDataSwitch);
        controller->setLinkState(linkState);
        if (tarsel::IZQRuntime* runtime = _zqRuntime) controller->setZQRuntime(runtime);
        renderCtrls.emplace(card.text, std::move(controller));
    }
    if (frameSync) frameSync->setMasterCard(masterIndex);
    frameSyncLock.unlock();

    // Posted under the runtime's lock, so no task is posted on a runtime already unset;
    // isServerMode and postTask return without calling the library.
    std::lock_guard runtimeLock(runtimeMutex);
    tarsel::IZQRuntime* runtime = _zqRuntime;
    if (runtime && runtime->isServerMode() && frameSyncLocalCheck > 0) {
        runtime->postTask(
            [weak = weak_from_this()] {
                if (const auto self = weak.lock()) self->startFrameSyncTimer();
            },
            "setRenderFacade", __FILE__, __LINE__);
    }
}

// Reaches only the controllers that exist, like setSenderMgr and the frame data
// tap: the host hands these in after the facade.
void RenderCtrlMgr::Impl::setPhysicsOutputMgr(std::weak_ptr<IPhysicsOutputMgr> mgr) {
    forEachController([&](const std::string&, RenderCtrl& c) { c.setPhysicsOutputMgr(mgr); });
}

// A runtime replaced without unsetZQRuntime takes the frame time timer along: its id
// means nothing to the new runtime, and the old one would run it on.
void RenderCtrlMgr::Impl::setZQRuntime(tarsel::IZQRuntime* runtime) {
    if (replaceRuntime(runtime)) startFrameSyncTimer();
    forEachController([&](const std::string&, RenderCtrl& c) { c.setZQRuntime(runtime); });
}

// The frame sync timer needs the runtime to be stopped: it goes first.
void RenderCtrlMgr::Impl::unsetZQRuntime() {
    replaceRuntime(nullptr);
    forEachController([](const std::string&, RenderCtrl& c) { c.unsetZQRuntime(); });
}

// The timer's id is taken and the runtime replaced under the lock that a timer start
// holds, so a start racing this either kept its id before (stopped here) or finds the
// new runtime.
bool RenderCtrlMgr::Impl::replaceRuntime(tarsel::IZQRuntime* next) {
    int timerId = -1;
    tarsel::IZQRuntime* previous = nullptr;
    {
        std::lock_guard lock(runtimeMutex);
        previous = _zqRuntime.exchange(next);
        if (previous == next) return false;
        timerId = frameSyncTimerId.exchange(-1);
    }
    if (timerId == -1 || !previous) return false;
    previous->stopTimer(timerId);
    return true;
}

void RenderCtrlMgr::Impl::setSenderMgr(IVirtualSenderMgr* mgr) {
    forEachController([&](const std::string&, RenderCtrl& c) { c.setSenderMgr(mgr); });
}

void RenderCtrlMgr::Impl::setLinkState(bool state) {
    std::shared_lock lock(renderCtrlsMutex);
    walkControllers([&](const std::string&, RenderCtrl& c) { c.setLinkState(state); });
    linkState = state;
}

// From a host thread each card's thread is joined in turn; from inside a pass (a tap
// or a host call a pass made) the threads are only told to stop, since joining there
// could wait for a pass that waits for the caller's: they end after their pass and are
// joined by the next release or when the manager goes.
void RenderCtrlMgr::Impl::release() {
    // Inside a pass, other passes must not wait for this one: ending the frame sync
    // object here joins its thread, whose pass may be waiting in a clear of the tap.
    const RenderCtrl::TeardownScope teardown;
    forEachController([](const std::string&, RenderCtrl& c) { c.stopThread(); });
    // The timer stops at once, also where the frame sync objects can only be ended later.
    stopFrameSyncTimer();
    destroyFrameSync();
}

}  // namespace qorva::mediadispatch
