#pragma once
// The cluster link: follows this node's role in the cluster, keeps the frame sync
// ports of the other nodes known to the master and its backups, and restores the
// links when a backup becomes master.
#include <memory>

#include "qorvahost/imediamgr.h"
#include "qorvahost/izqruntime.h"
#include "qorvarenderctrl/export.h"
#include "qorvarenderctrl/irenderctrllink.h"

namespace qorva::mediadispatch {

class QORVARENDERCTRL_API RenderCtrlLink : public IRenderCtrlLink, public std::enable_shared_from_this<RenderCtrlLink> {
public:
    RenderCtrlLink();
    // Copies share one implementation.
    RenderCtrlLink(const RenderCtrlLink& other);
    RenderCtrlLink& operator=(const RenderCtrlLink& other);
    ~RenderCtrlLink() override;

    void setLinkMgr(tarsel::link::ILinkMgr* linkMgr) override;
    void unsetLinkMgr() override;
    // Keeps the render control manager behind the interface; anything else is dropped.
    void setRenderCtrl(std::weak_ptr<IRenderCtrl> renderCtrl) override;
    void setProgramDispatch(std::weak_ptr<IProgramDispatch> programDispatch) override;
    void setMediaMgr(tarsel::IMediaMgr* mediaMgr);
    void setZQRuntime(tarsel::IZQRuntime* runtime);

    class QORVARENDERCTRL_LOCAL Impl;

private:
    std::shared_ptr<Impl> _impl;
};

}  // namespace qorva::mediadispatch
