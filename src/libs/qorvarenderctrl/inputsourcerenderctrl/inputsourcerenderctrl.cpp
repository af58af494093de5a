// The exported input source controller: a move-only shell over its implementation.
#include "qorvarenderctrl/inputsourcerenderctrl.h"

#include "inputsourcerenderctrl/inputsourcerenderctrl_impl.h"

namespace qorva::mediadispatch {

InputSourceRenderCtrl::InputSourceRenderCtrl() : _impl(std::make_shared<Impl>(this)) {}

InputSourceRenderCtrl::InputSourceRenderCtrl(InputSourceRenderCtrl&& other) noexcept : _impl(std::move(other._impl)) {
    if (_impl) _impl->owner = this;
}

InputSourceRenderCtrl& InputSourceRenderCtrl::operator=(InputSourceRenderCtrl&& other) {
    if (this == &other) return *this;
    if (_impl) _impl->release();
    _impl = std::move(other._impl);
    if (_impl) _impl->owner = this;
    return *this;
}

InputSourceRenderCtrl::~InputSourceRenderCtrl() {
    if (_impl) _impl->releaseUnlessOnRenderThread();
}

void InputSourceRenderCtrl::release() {
    if (_impl) _impl->release();
}
void InputSourceRenderCtrl::setRenderFacade(std::weak_ptr<qorva::mediaoutput::IRenderFacade> facade) {
    if (_impl) _impl->setRenderFacade(std::move(facade));
}
void InputSourceRenderCtrl::setMediaMgr(tarsel::IMediaMgr* mgr) {
    if (_impl) _impl->_mediaMgr = mgr;
}
void InputSourceRenderCtrl::unsetMediaMgr() {
    if (_impl) _impl->_mediaMgr = nullptr;
}
void InputSourceRenderCtrl::setMediaDispatchMgr(std::weak_ptr<IMediaDispatchMgr> mgr) {
    if (_impl) _impl->setMediaDispatchMgr(std::move(mgr));
}
void InputSourceRenderCtrl::unsetMediaDispatchMgr() {
    if (_impl) _impl->unsetMediaDispatchMgr();
}
void InputSourceRenderCtrl::setZQRuntime(tarsel::IZQRuntime* runtime) {
    if (_impl) _impl->setZQRuntime(runtime);
}
void InputSourceRenderCtrl::unsetZQRuntime() {
    if (_impl) _impl->unsetZQRuntime();
}
void InputSourceRenderCtrl::setFrameDataCallBack(const FrameDataCallBack& callback) {
    if (_impl) _impl->frameDataCallBack.set(callback ? std::make_shared<const FrameDataCallBack>(callback) : nullptr);
}
void InputSourceRenderCtrl::setInputFrameDataUpdateCallBack(const InputFrameDataUpdateCallBack& callback) {
    if (!_impl) return;
    _impl->inputFrameDataUpdateCallBack.set(callback ? std::make_shared<const InputFrameDataUpdateCallBack>(callback)
                                                     : nullptr);
}
void InputSourceRenderCtrl::setFrameDataSwitch(bool on) {
    if (_impl) _impl->frameDataSwitch = on;
}

}  // namespace qorva::mediadispatch
