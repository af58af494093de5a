#pragma once
// The interface through which the host wires the cluster link.
#include <memory>

#include "qorvahost/ilinkmgr.h"
#include "qorvahost/imediadispatchmgr.h"
#include "qorvarenderctrl/export.h"
#include "qorvarenderctrl/irenderctrl.h"

namespace qorva::mediadispatch {

/// The interface through which the host wires the cluster link, RenderCtrlLink. Its
/// operations run on the host's calling thread. The order of its virtual operations is the
/// host's binary contract.
class QORVARENDERCTRL_API IRenderCtrlLink {
public:
    virtual ~IRenderCtrlLink() = default;
    /// Connects to the link manager's role and cluster signals and registers the port report
    /// methods; borrowed, never owned. The host sets it last. A null one is stored and logs
    /// "linkMgr is nullptr!" (warning). On a master backup the "40reportPorts" method throws
    /// std::invalid_argument ("unpack failed: Args not match!") into the link manager's
    /// dispatcher on a table that does not decode, and keeps the table it had.
    virtual void setLinkMgr(tarsel::link::ILinkMgr* linkMgr) = 0;
    /// Disconnects from the link manager and unregisters the methods: the first step of
    /// shutdown. Without one it logs "linkMgr is nullptr!" (warning).
    /// It also stops a pending restore timer, and waits for a restore running on another
    /// thread to end: once it returns no restore runs or starts, and none holds the link or
    /// the manager. Called from inside a restore (from a host call the restore makes), it
    /// does not wait for that restore, which goes on when the host call returns.
    /// The disconnect returns at once: an emission already in progress may still call in once,
    /// so let it return before dropping the last reference (README, "Signals: what the
    /// host must do").
    virtual void unsetLinkMgr() = 0;
    /// The render control manager whose frame sync object the link links and dislinks, held
    /// weakly and locked per event; without it events log "sharedRenderCtrl is nullptr!"
    /// (warning).
    virtual void setRenderCtrl(std::weak_ptr<IRenderCtrl> renderCtrl) = 0;
    /// The program dispatch (weak) whose dispatches the link resyncs once it has restored the
    /// links as the new master.
    virtual void setProgramDispatch(std::weak_ptr<IProgramDispatch> programDispatch) = 0;
};

}  // namespace qorva::mediadispatch
