// The card's output side: textures to the virtual senders, vertical-blank pacing,
// the per-layer output sizes, and the output-side setters.
#include "common/log.h"
#include "renderctrl/renderctrl_impl.h"

namespace qorva::mediadispatch {

namespace {
constexpr const char* kEditDisconnect = "OnEditDisconnect";
constexpr const char* kEditConnected = "OnEditConnected";
constexpr const char* kDisconnectHandler = "RenderCtrl::Impl::onRpcClientDisconnect";
constexpr const char* kConnectedHandler = "RenderCtrl::Impl::onRpcClientConnected";
constexpr int kEventMode = 3;
}  // namespace

// The render thread starts before the runtime and the sender manager are handed
// in: until both are there the step is skipped.
void RenderCtrl::Impl::updateOutputTexture() {
    if (!_pass._zqRuntime || !_pass._senderMgr) return;
    if (_pass._zqRuntime->isClientMode()) return;
    const std::shared_ptr<IRenderFacade> facade = _pass._renderFacade.lock();
    if (!facade) {
        QRC_WARN("renderFacade is null.");
        return;
    }
    _outputTextures.clear();
    facade->getOutputTextures(_cardName, _outputTextures);
    for (const auto& [key, texture] : _outputTextures)
        if (texture != 0) _pass._senderMgr->updateSenderTexture(key, texture);
}

void RenderCtrl::Impl::waitForVBlank() {
    if (_vblankUnavailable) {
        zqSleep(16);
        return;
    }
    const std::shared_ptr<IRenderFacade> facade = services()._renderFacade.lock();
    if (!facade) {
        QRC_WARN("renderFacade is null.");
        return;
    }
    facade->waitForVBlank();
}

// Returns whether the layout manager reported a change.
bool RenderCtrl::Impl::queryLayerSizes(IMediaOutputLayoutMgr& layoutMgr) {
    std::list<OutputLayerSize> sizes;
    bool changed = false;
    bool exempt = true;
    layoutMgr.getOutputLayerSizes(sizes, _cardName, &changed, &exempt);
    if (changed) {
        _layerSizes = std::move(sizes);
        _minSizeExempt = exempt;
    }
    return changed;
}

void RenderCtrl::Impl::lookupLayerSize(uint64_t layerId, uint32_t layerNumber, uint32_t& width,
                                       uint32_t& height) const {
    for (const auto& size : _layerSizes) {
        if (size.layerId == layerId && size.layerNumber == layerNumber) {
            width = size.width;
            height = size.height;
            break;
        }
    }
    if (!_minSizeExempt && width < 320 && height < 180) {
        width = 320;
        height = 180;
    }
}

void RenderCtrl::Impl::setRenderFacade(std::weak_ptr<IRenderFacade> facade) {
    changeServices([&](Services& s) { s._renderFacade = facade; });
    // Tracked on the Impl: a facade that outlives this controller never calls into it.
    if (auto locked = facade.lock()) locked->vblankUnavailable.connect(&Impl::onVBlankUnavailable, weak_from_this());
}

// A tracked slot whose object is gone stays in the facade's list until the facade
// emits, which it rarely does: disconnected here so that cards created and dropped
// over a long run do not pile up in it.
void RenderCtrl::Impl::disconnectFacade() {
    if (auto locked = services()._renderFacade.lock())
        locked->vblankUnavailable.disconnect(&Impl::onVBlankUnavailable, this);
}

void RenderCtrl::Impl::setOutPutLayoutMgr(std::weak_ptr<IMediaOutputLayoutMgr> mgr) {
    if (!mgr.lock()) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    changeServices([&](Services& s) { s._layoutMgr = std::move(mgr); });
}

void RenderCtrl::Impl::setPhysicsOutputMgr(std::weak_ptr<IPhysicsOutputMgr> mgr) {
    if (mgr.expired()) {
        QRC_INFO("physicsOutputMgr is invaild.");
        return;
    }
    changeServices([&](Services& s) { s._physicsOutputMgr = std::move(mgr); });
}

// The handlers hold the Impl weakly: an event the runtime delivers after this
// controller is gone does nothing.
void RenderCtrl::Impl::setZQRuntime(tarsel::IZQRuntime* runtime) {
    changeServices([&](Services& s) { s._zqRuntime = runtime; });
    if (!runtime || !runtime->isServerMode()) return;
    runtime->registerEventHandler(
        kEditDisconnect, kDisconnectHandler,
        [weak = weak_from_this()](void* argument) {
            if (const auto self = weak.lock()) self->onRpcClientDisconnect(argument);
        },
        this, kEventMode);
    runtime->registerEventHandler(
        kEditConnected, kConnectedHandler,
        [weak = weak_from_this()](void* argument) {
            if (const auto self = weak.lock()) self->onRpcClientConnected(argument);
        },
        this, kEventMode);
}

// With no runtime set there is nothing to unregister.
void RenderCtrl::Impl::unsetZQRuntime() {
    tarsel::IZQRuntime* runtime = services()._zqRuntime;
    if (runtime && runtime->isServerMode()) {
        runtime->unregisterEventHandler(kEditDisconnect, kDisconnectHandler, this);
        runtime->unregisterEventHandler(kEditConnected, kConnectedHandler, this);
    }
    changeServices([](Services& s) { s._zqRuntime = nullptr; });
}

void RenderCtrl::Impl::onRpcClientConnected(void* /*argument*/) { _editConnected = true; }
void RenderCtrl::Impl::onRpcClientDisconnect(void* /*argument*/) { _editConnected = false; }
void RenderCtrl::Impl::onVBlankUnavailable() { _vblankUnavailable = true; }

}  // namespace qorva::mediadispatch
