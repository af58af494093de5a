#pragma once
// The interface through which the host wires the cluster link. The order of its
// virtual operations is the host's binary contract.
#include <memory>

#include "qorvahost/ilinkmgr.h"
#include "qorvahost/imediadispatchmgr.h"
#include "qorvarenderctrl/export.h"
#include "qorvarenderctrl/irenderctrl.h"

namespace qorva::mediadispatch {

class QORVARENDERCTRL_API IRenderCtrlLink {
public:
    virtual ~IRenderCtrlLink() = default;
    virtual void setLinkMgr(tarsel::link::ILinkMgr* linkMgr) = 0;
    virtual void unsetLinkMgr() = 0;
    virtual void setRenderCtrl(std::weak_ptr<IRenderCtrl> renderCtrl) = 0;
    virtual void setProgramDispatch(std::weak_ptr<IProgramDispatch> programDispatch) = 0;
};

}  // namespace qorva::mediadispatch
