// Media additions and removals announced by the dispatches, forwarded to the render
// facade; the edit client's connection state from the runtime's events.
#include <algorithm>
#include <utility>

#include "common/log.h"
#include "inputsourcerenderctrl/inputsourcerenderctrl_impl.h"

namespace qorva::mediadispatch {

namespace {

using Impl = InputSourceRenderCtrl::Impl;

constexpr const char* kEditDisconnect = "OnEditDisconnect";
constexpr const char* kEditConnected = "OnEditConnected";
constexpr const char* kDisconnectHandler = "InputSourceRenderCtrl::Impl::onRpcClientDisconnect";
constexpr const char* kConnectedHandler = "InputSourceRenderCtrl::Impl::onRpcClientConnected";
constexpr int kEventMode = 3;

// The signal/handler pairs, each list in the one order it is connected and disconnected.
template <class Visit>
void visitDispatchMgrConnections(IMediaDispatchMgr& mgr, Visit&& visit) {
    visit(mgr.sigDispatchAdded, &Impl::onDispatchAdded);
    visit(mgr.sigDispatchRemoved, &Impl::onDispatchRemoved);
}

template <class Visit>
void visitDispatchConnections(IDispatch& dispatch, Visit&& visit) {
    visit(dispatch.sigMediasAdded, &Impl::onMediasAdded);
    visit(dispatch.sigMediaAboutToBeRemoved, &Impl::onMediaAboutToBeRemoved);
}

}  // namespace

void InputSourceRenderCtrl::Impl::setMediaDispatchMgr(std::weak_ptr<IMediaDispatchMgr> mgr) {
    const auto shared = mgr.lock();
    if (!shared) {
        QRC_INFO("mediaDispatchMgr is null.");
        return;
    }
    mediaDispatchMgr.set(std::move(mgr));
    dispatchWiring.open();
    visitDispatchMgrConnections(*shared, [this](auto& signal, auto pmf) { signal.connect(pmf, weak_from_this()); });
}

// The dispatch manager's list is read before the wiring lock is taken (see the
// manager's unsetMediaDispatchMgr).
void InputSourceRenderCtrl::Impl::unsetMediaDispatchMgr() {
    const auto shared = mediaDispatchMgr.lock();
    if (!shared) {
        QRC_INFO("mediaDispatchMgr is null.");
        return;
    }
    dispatchWiring.close(renderctrl::liveDispatches(*shared), [this](IDispatch& dispatch) { unwire(dispatch); });
    visitDispatchMgrConnections(*shared, [this](auto& signal, auto pmf) { signal.disconnect(pmf, this); });
}

void InputSourceRenderCtrl::Impl::onDispatchAdded(std::weak_ptr<IDispatch> dispatch) {
    const auto shared = dispatch.lock();
    if (!shared) return;
    dispatchWiring.add(shared, [this](IDispatch& wired) {
        visitDispatchConnections(wired, [this](auto& signal, auto pmf) { signal.connect(pmf, weak_from_this()); });
    });
}

void InputSourceRenderCtrl::Impl::onDispatchRemoved(std::weak_ptr<IDispatch> dispatch) {
    const auto shared = dispatch.lock();
    if (!shared) return;
    dispatchWiring.remove(shared, [this](IDispatch& removed) { unwire(removed); });
}

void InputSourceRenderCtrl::Impl::unwire(IDispatch& dispatch) {
    visitDispatchConnections(dispatch, [this](auto& signal, auto pmf) { signal.disconnect(pmf, this); });
}

void InputSourceRenderCtrl::Impl::onMediasAdded(const std::vector<MediaInfo>& medias) {
    const auto facade = renderFacade.lock();
    if (!facade) {
        QRC_WARN("renderFacade is null");
        return;
    }
    for (const MediaInfo& media : medias) facade->setInputMediaActive(media.mediaId, true);
}

void InputSourceRenderCtrl::Impl::onMediaAboutToBeRemoved(uint64_t /*a*/, uint64_t mediaId,
                                                          tarsel::EditingMode /*mode*/) {
    const auto facade = renderFacade.lock();
    if (!facade) {
        QRC_WARN("renderFacade is null");
        return;
    }
    facade->setInputMediaActive(mediaId, false);
}

// A null runtime is only stored.
void InputSourceRenderCtrl::Impl::setZQRuntime(tarsel::IZQRuntime* rt) {
    runtime = rt;
    if (!rt || !rt->isServerMode()) return;
    // Bound through a weak reference: an event that comes after the Impl is gone does nothing.
    const auto handler = [weak = weak_from_this()](void (Impl::*on)(void*)) {
        return [weak, on](void* argument) {
            if (const auto self = weak.lock()) (self.get()->*on)(argument);
        };
    };
    rt->registerEventHandler(kEditDisconnect, kDisconnectHandler, handler(&Impl::onRpcClientDisconnect), this,
                             kEventMode);
    rt->registerEventHandler(kEditConnected, kConnectedHandler, handler(&Impl::onRpcClientConnected), this, kEventMode);
}

// With no runtime set there is nothing to unregister.
void InputSourceRenderCtrl::Impl::unsetZQRuntime() {
    tarsel::IZQRuntime* rt = runtime;
    if (rt && rt->isServerMode()) {
        rt->unregisterEventHandler(kEditDisconnect, kDisconnectHandler, this);
        rt->unregisterEventHandler(kEditConnected, kConnectedHandler, this);
    }
    runtime = nullptr;
}

void InputSourceRenderCtrl::Impl::onRpcClientConnected(void* /*argument*/) { editClientConnected = true; }
void InputSourceRenderCtrl::Impl::onRpcClientDisconnect(void* /*argument*/) { editClientConnected = false; }

}  // namespace qorva::mediadispatch
