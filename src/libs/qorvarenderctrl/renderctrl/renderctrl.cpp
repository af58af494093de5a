#include "renderctrl/renderctrl.h"

#include <thread>

#include "common/finishedthreads.h"
#include "common/platform.h"
#include "renderctrl/renderctrl_impl.h"

namespace qorva::mediadispatch {

RenderCtrl::Impl::Impl()
    : _lastFpsLogTime(renderctrl::platform::wallClockSeconds()), _fpsSecond(renderctrl::platform::wallClockSeconds()) {}

RenderCtrl::Impl::Services RenderCtrl::Impl::services() const {
    std::lock_guard lock(_servicesMutex);
    return _services;
}

void RenderCtrl::Impl::setFrameDataCallBack(const FrameDataCallBack& callback) {
    if (callback) {
        auto tap = std::make_shared<const FrameDataCallBack>(callback);
        changeServices([&](Services& s) { s._frameDataCallBack = std::move(tap); });
        return;
    }
    // An empty tap stops the render thread before the tap goes, and returns once no
    // pass can call the old tap any more: the host may free its receiver then. The old
    // tap is taken out first, so that a pass starting now goes without it, and let go
    // of here, after the pass in progress let go of its copy. A pass in a teardown is
    // not waited for (it may wait for the caller's pass); the caller's own pass stops
    // calling the old tap once the tap that clears it returns.
    const RenderCtrl::TeardownScope teardown;
    stopThread();
    std::shared_ptr<const FrameDataCallBack> old;
    changeServices([&](Services& s) { old = std::move(s._frameDataCallBack); });
    if (insideOwnPass()) {
        _pass._frameDataCallBack.reset();
        return;
    }
    awaitPassOutOfTheWay();
}

RenderCtrl::Impl::~Impl() {
    if (_thread) renderctrl::joinOrKeep(*_thread);
}

RenderCtrl::RenderCtrl() : _impl(std::make_shared<Impl>()) {}

RenderCtrl::~RenderCtrl() {
    _impl->stopThread();
    _impl->disconnectFacade();
}

void RenderCtrl::setCardName(const std::string& name) { _impl->_cardName = name; }
void RenderCtrl::setRenderFacade(std::weak_ptr<qorva::mediaoutput::IRenderFacade> facade) {
    _impl->setRenderFacade(std::move(facade));
}
void RenderCtrl::start() { _impl->start(); }
void RenderCtrl::release() { _impl->release(); }
void RenderCtrl::stopThread() { _impl->stopThread(); }
bool RenderCtrl::insidePass() { return Impl::insidePass(); }
bool RenderCtrl::isRunning() const { return _impl->_running; }
void RenderCtrl::updateFrameData(uint32_t syncValue) { _impl->updateFrameData(syncValue); }
void RenderCtrl::waitForVBlank() { _impl->waitForVBlank(); }
void RenderCtrl::updateGetFrameTime(double time) { _impl->_getFrameTime = time; }

void RenderCtrl::getFrameTimes(double& frameTime, double& getFrameTime) const {
    frameTime = _impl->_lastFrameTime;
    getFrameTime = _impl->_lastGetFrameTime;
}

void RenderCtrl::setMediaDispatchMgr(std::weak_ptr<IMediaDispatchMgr> mgr) {
    _impl->changeServices([&](Impl::Services& s) { s._mediaDispatchMgr = std::move(mgr); });
}
void RenderCtrl::unsetMediaDispatchMgr() {
    _impl->changeServices([](Impl::Services& s) { s._mediaDispatchMgr.reset(); });
}
void RenderCtrl::setMediaMgr(tarsel::IMediaMgr* mgr) {
    _impl->changeServices([&](Impl::Services& s) { s._mediaMgr = mgr; });
}
void RenderCtrl::unsetMediaMgr() {
    _impl->changeServices([](Impl::Services& s) { s._mediaMgr = nullptr; });
}
void RenderCtrl::setOutPutLayoutMgr(std::weak_ptr<qorva::mediaoutput::IMediaOutputLayoutMgr> mgr) {
    _impl->setOutPutLayoutMgr(std::move(mgr));
}
// The layout manager stays: a pass may still need it after the host unwired it.
void RenderCtrl::unsetOutPutLayoutMgr() {}
void RenderCtrl::setPhysicsOutputMgr(std::weak_ptr<qorva::mediaoutput::IPhysicsOutputMgr> mgr) {
    _impl->setPhysicsOutputMgr(std::move(mgr));
}
void RenderCtrl::setZQRuntime(tarsel::IZQRuntime* runtime) { _impl->setZQRuntime(runtime); }
void RenderCtrl::unsetZQRuntime() { _impl->unsetZQRuntime(); }
void RenderCtrl::setSenderMgr(qorva::mediaoutput::IVirtualSenderMgr* mgr) {
    _impl->changeServices([&](Impl::Services& s) { s._senderMgr = mgr; });
}
void RenderCtrl::setFrameDataCallBack(const FrameDataCallBack& callback) { _impl->setFrameDataCallBack(callback); }
void RenderCtrl::setFrameDataSwitch(bool on) { _impl->_frameDataSwitch = on; }
void RenderCtrl::setFrameSyncCheckLayerIndex(int32_t index) { _impl->_frameSyncCheckLayerIndex = index; }
void RenderCtrl::setFrameSyncFlag(bool flag) { _impl->_frameSyncFlag = flag; }
void RenderCtrl::setLinkState(bool state) { _impl->_linkState = state; }

}  // namespace qorva::mediadispatch
