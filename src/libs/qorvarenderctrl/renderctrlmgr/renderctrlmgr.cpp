// The exported manager: a thin shell whose copies share one implementation.
#include "qorvarenderctrl/renderctrlmgr.h"

#include "renderctrlmgr/renderctrlmgr_impl.h"

namespace qorva::mediadispatch {

RenderCtrlMgr::RenderCtrlMgr() : _impl(std::make_shared<Impl>(this)) {}
RenderCtrlMgr::RenderCtrlMgr(const RenderCtrlMgr& other)
    : IRenderCtrl(other), std::enable_shared_from_this<RenderCtrlMgr>(), _impl(other._impl) {}
RenderCtrlMgr& RenderCtrlMgr::operator=(const RenderCtrlMgr& other) {
    _impl = other._impl;
    return *this;
}
RenderCtrlMgr::~RenderCtrlMgr() = default;

void RenderCtrlMgr::setMediaDispatchMgr(std::weak_ptr<IMediaDispatchMgr> mgr) {
    _impl->setMediaDispatchMgr(std::move(mgr));
}
void RenderCtrlMgr::unsetMediaDispatchMgr() { _impl->unsetMediaDispatchMgr(); }
void RenderCtrlMgr::setMediaMgr(tarsel::IMediaMgr* mgr) { _impl->setMediaMgr(mgr); }
void RenderCtrlMgr::unsetMediaMgr() { _impl->unsetMediaMgr(); }
void RenderCtrlMgr::setRenderFacade(std::weak_ptr<qorva::mediaoutput::IRenderFacade> facade) {
    _impl->setRenderFacade(std::move(facade));
}
void RenderCtrlMgr::setFrameDataCallBack(const FrameDataCallBack& callback) { _impl->setFrameDataCallBack(callback); }
void RenderCtrlMgr::setFrameDataSwitch(bool on) { _impl->setFrameDataSwitch(on); }
void RenderCtrlMgr::setFrameSyncCheckLayerIndex(int32_t index) { _impl->setFrameSyncCheckLayerIndex(index); }
void RenderCtrlMgr::setFrameSyncMode(int32_t mode) { _impl->frameSyncMode = mode; }
void RenderCtrlMgr::setFrameSyncLocalCheck(int32_t value) { _impl->frameSyncLocalCheck = value; }
void RenderCtrlMgr::createFrameSync() { _impl->createFrameSync(); }
void RenderCtrlMgr::setFrameSyncFlag(bool flag) { _impl->setFrameSyncFlag(flag); }
void RenderCtrlMgr::release() { _impl->release(); }
void RenderCtrlMgr::unsetOutPutLayoutMgr() { _impl->unsetOutPutLayoutMgr(); }
void RenderCtrlMgr::setOutPutLayoutMgr(std::weak_ptr<qorva::mediaoutput::IMediaOutputLayoutMgr> mgr) {
    _impl->setOutPutLayoutMgr(std::move(mgr));
}
void RenderCtrlMgr::setOutPutMgr(qorva::mediaoutput::IOutputMgr* mgr) { _impl->_outputMgr = mgr; }
void RenderCtrlMgr::setPhysicsOutputMgr(std::weak_ptr<qorva::mediaoutput::IPhysicsOutputMgr> mgr) {
    _impl->setPhysicsOutputMgr(std::move(mgr));
}
void RenderCtrlMgr::setMediaVisible(uint64_t firstId, uint64_t mediaId, bool visible) {
    _impl->setMediaVisible(firstId, mediaId, visible);
}
void RenderCtrlMgr::showOrgThumbnail(uint64_t firstId, uint64_t secondId, std::weak_ptr<zq::mediacore::IMeta> meta) {
    _impl->showOrgThumbnail(firstId, secondId, std::move(meta));
}
void RenderCtrlMgr::isDraw(bool /*draw*/) const {}
void RenderCtrlMgr::updateGetFrameTime(double time) { _impl->updateGetFrameTime(time); }
void RenderCtrlMgr::setLinkState(bool state) { _impl->setLinkState(state); }
void RenderCtrlMgr::setZQRuntime(tarsel::IZQRuntime* runtime) { _impl->setZQRuntime(runtime); }
void RenderCtrlMgr::unsetZQRuntime() { _impl->unsetZQRuntime(); }
void RenderCtrlMgr::setSenderMgr(qorva::mediaoutput::IVirtualSenderMgr* mgr) { _impl->setSenderMgr(mgr); }

bool RenderCtrlMgr::linkTarget(const char* ip, int port) { return _impl->linkTarget(ip, port); }
bool RenderCtrlMgr::dislinkTarget(const char* ip, int port) { return _impl->dislinkTarget(ip, port); }
bool RenderCtrlMgr::keepMasterTime(bool isClear) { return _impl->keepMasterTime(isClear); }
int RenderCtrlMgr::getNetPort() { return _impl->getNetPort(); }
void RenderCtrlMgr::startFrameSyncTimer() { _impl->startFrameSyncTimer(); }

}  // namespace qorva::mediadispatch
