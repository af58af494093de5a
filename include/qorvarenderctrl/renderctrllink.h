#pragma once
// The cluster link.
#include <memory>

#include "qorvahost/imediamgr.h"
#include "qorvahost/izqruntime.h"
#include "qorvarenderctrl/export.h"
#include "qorvarenderctrl/irenderctrllink.h"

namespace qorva::mediadispatch {

/// The cluster link: follows this node's role in the cluster, keeps the frame sync ports of
/// the other nodes known to the master and its backups, and restores the links when a backup
/// becomes master. Its handlers run on the link manager's dispatcher thread, its restore
/// timer on the runtime's timer thread. A link manager that takes the master role away
/// while a restore runs on another thread can have its dislinks come first and the restore's
/// links outlive them: a link manager that delivers on the runtime's timer thread, on a runtime
/// that runs its tasks and timers on one thread, orders the two (README, "The link manager's
/// duties").
class QORVARENDERCTRL_API RenderCtrlLink : public IRenderCtrlLink, public std::enable_shared_from_this<RenderCtrlLink> {
public:
    /// A link wired to nothing.
    RenderCtrlLink();
    /// Copies share one implementation.
    RenderCtrlLink(const RenderCtrlLink& other);
    /// Shares the other's implementation.
    RenderCtrlLink& operator=(const RenderCtrlLink& other);
    /// With the last copy, unwires from the link manager if the host left it wired and stops a
    /// pending restore timer, as unsetLinkMgr() does. Dropped without unsetLinkMgr() during a
    /// restore, the link ends on the runtime's timer thread when that restore ends.
    ~RenderCtrlLink() override;

    void setLinkMgr(tarsel::link::ILinkMgr* linkMgr) override;
    void unsetLinkMgr() override;
    /// Keeps the render control manager behind the interface (a RenderCtrlMgr); anything else
    /// is dropped.
    void setRenderCtrl(std::weak_ptr<IRenderCtrl> renderCtrl) override;
    void setProgramDispatch(std::weak_ptr<IProgramDispatch> programDispatch) override;
    /// The media manager (borrowed, never owned), told notifyMasterRole(true) when this node
    /// becomes master.
    void setMediaMgr(tarsel::IMediaMgr* mediaMgr);
    /// The runtime (borrowed, never owned) whose timer restores the links 1000 ms after this
    /// node took over as master; without it that logs "zqRuntime is null, restore timer not
    /// started" (warning). Another runtime, or none, stops a timer pending on the old one.
    void setZQRuntime(tarsel::IZQRuntime* runtime);

    class QORVARENDERCTRL_LOCAL Impl;

private:
    std::shared_ptr<Impl> _impl;
};

}  // namespace qorva::mediadispatch
