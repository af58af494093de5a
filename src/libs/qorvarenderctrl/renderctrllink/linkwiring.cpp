// The exported link and its wiring to the link manager.
#include "common/log.h"
#include "renderctrllink/renderctrllink_impl.h"

namespace qorva::mediadispatch {

namespace {

using Impl = RenderCtrlLink::Impl;

// The link manager's signals, in the one order they are connected and disconnected.
template <class Visit>
void visitLinkMgrConnections(tarsel::link::ILinkMgr& linkMgr, Visit&& visit) {
    visit(linkMgr.sigMasterBackupAdded, &Impl::onMasterBackupAdded);
    visit(linkMgr.sigClusterNodeChanged, &Impl::onClusterNodeChanged);
    visit(linkMgr.sigLocalTypeChanged, &Impl::onLocalTypeChanged);
    visit(linkMgr.sigLinkedStatusChanged, &Impl::onLinkedStatusChanged);
    visit(linkMgr.sigMasterUpdate, &Impl::onMasterUpdate);
}

}  // namespace

RenderCtrlLink::Impl::Impl(RenderCtrlLink* owner) : owner(owner), backupMethods{makeMethodName(40, reportPorts)} {}

// A host that drops the link without unwiring it: the destructor unwires. It may run on
// the runtime's thread, from the end of a restore, which then does not wait for itself.
RenderCtrlLink::Impl::~Impl() {
    tarsel::link::ILinkMgr* linkMgr = _linkMgr;
    if (_wired && linkMgr) unwire(*linkMgr);
    endRestores();
}

void RenderCtrlLink::Impl::setLinkMgr(tarsel::link::ILinkMgr* linkMgr) {
    _linkMgr = linkMgr;
    if (!linkMgr) {
        QRC_WARN("linkMgr is nullptr!");
        return;
    }
    {
        std::lock_guard timerLock(_timerMutex);
        if (!_restoreGate->isOpen()) _restoreGate = std::make_shared<RestoreGate>();
    }
    linkMgr->setBackupMethods(backupMethods);
    visitLinkMgrConnections(*linkMgr, [this](auto& signal, auto handler) { signal.connect(handler, this); });
    linkMgr->registerMethod(makeMethodName(40, reportPort),
                            [this](std::string args, std::string fromIp) { handleReportPort(args, fromIp); });
    linkMgr->registerMethod(makeMethodName(40, reportPorts),
                            [this](std::string args, std::string fromIp) { handlePortDatasToBackup(args, fromIp); });
    _wired = true;
}

// _linkMgr keeps its value. Once this returns no restore runs, wired or not.
void RenderCtrlLink::Impl::unsetLinkMgr() {
    if (tarsel::link::ILinkMgr* linkMgr = _linkMgr)
        unwire(*linkMgr);
    else
        QRC_WARN("linkMgr is nullptr!");
    endRestores();
}

void RenderCtrlLink::Impl::unwire(tarsel::link::ILinkMgr& linkMgr) {
    visitLinkMgrConnections(linkMgr, [this](auto& signal, auto handler) { signal.disconnect(handler, this); });
    linkMgr.unregisterMethod(makeMethodName(40, reportPort));
    linkMgr.unregisterMethod(makeMethodName(40, reportPorts));
    _wired = false;
}

void RenderCtrlLink::Impl::setRenderCtrl(std::weak_ptr<IRenderCtrl> renderCtrl) {
    _renderCtrl.set(std::dynamic_pointer_cast<RenderCtrlMgr>(renderCtrl.lock()));
}

RenderCtrlLink::RenderCtrlLink() : _impl(std::make_shared<Impl>(this)) {}
RenderCtrlLink::RenderCtrlLink(const RenderCtrlLink& other)
    : IRenderCtrlLink(other), std::enable_shared_from_this<RenderCtrlLink>(), _impl(other._impl) {}
RenderCtrlLink& RenderCtrlLink::operator=(const RenderCtrlLink& other) {
    _impl = other._impl;
    return *this;
}
RenderCtrlLink::~RenderCtrlLink() = default;

void RenderCtrlLink::setLinkMgr(tarsel::link::ILinkMgr* linkMgr) { _impl->setLinkMgr(linkMgr); }
void RenderCtrlLink::unsetLinkMgr() { _impl->unsetLinkMgr(); }
void RenderCtrlLink::setRenderCtrl(std::weak_ptr<IRenderCtrl> renderCtrl) {
    _impl->setRenderCtrl(std::move(renderCtrl));
}
void RenderCtrlLink::setProgramDispatch(std::weak_ptr<IProgramDispatch> programDispatch) {
    _impl->_programDispatch.set(std::move(programDispatch));
}
void RenderCtrlLink::setMediaMgr(tarsel::IMediaMgr* mediaMgr) { _impl->_mediaMgr = mediaMgr; }
void RenderCtrlLink::setZQRuntime(tarsel::IZQRuntime* runtime) { _impl->setZQRuntime(runtime); }

}  // namespace qorva::mediadispatch
