#pragma once
// The interface through which the host drives the render control manager. The order
// of its virtual operations is the host's binary contract: never reorder, insert or
// remove one.
#include <cstdint>
#include <functional>
#include <memory>

#include "qorvahost/imediadispatchmgr.h"
#include "qorvahost/imediamgr.h"
#include "qorvahost/imediaoutputlayoutmgr.h"
#include "qorvahost/ioutputmgr.h"
#include "qorvahost/irenderfacade.h"
#include "qorvahost/izqruntime.h"
#include "qorvahost/qorvatypes.h"
#include "qorvahost/zqmediacore.h"
#include "qorvarenderctrl/export.h"

namespace qorva::mediadispatch {

// The frame data tap: a down-scaled copy of a drawn layer and what it shows.
using FrameDataCallBack = std::function<void(const qorva::MediaInfo&, const zq::mediacore::IFrame*)>;

class QORVARENDERCTRL_API IRenderCtrl {
public:
    virtual ~IRenderCtrl() = default;

    virtual void setMediaDispatchMgr(std::weak_ptr<IMediaDispatchMgr> mgr) = 0;
    virtual void unsetMediaDispatchMgr() = 0;
    virtual void setMediaMgr(tarsel::IMediaMgr* mgr) = 0;
    virtual void unsetMediaMgr() = 0;
    virtual void setRenderFacade(std::weak_ptr<qorva::mediaoutput::IRenderFacade> facade) = 0;
    virtual void setFrameDataCallBack(const FrameDataCallBack& callback) = 0;
    virtual void setFrameDataSwitch(bool on) = 0;
    virtual void setFrameSyncCheckLayerIndex(int32_t /*index*/) {}
    virtual void setFrameSyncMode(int32_t /*mode*/) {}
    virtual void setFrameSyncLocalCheck(int32_t /*value*/) {}
    virtual void createFrameSync() = 0;
    virtual void setFrameSyncFlag(bool /*flag*/) {}
    virtual void release() = 0;
    virtual void unsetOutPutLayoutMgr() {}
    virtual void setOutPutLayoutMgr(std::weak_ptr<qorva::mediaoutput::IMediaOutputLayoutMgr> /*mgr*/) {}
    virtual void setOutPutMgr(qorva::mediaoutput::IOutputMgr* /*mgr*/) {}
    virtual void setPhysicsOutputMgr(std::weak_ptr<qorva::mediaoutput::IPhysicsOutputMgr> /*mgr*/) {}
    virtual void setMediaVisible(uint64_t /*firstId*/, uint64_t /*mediaId*/, bool /*visible*/) {}
    virtual void showOrgThumbnail(uint64_t /*firstId*/, uint64_t /*secondId*/,
                                  std::weak_ptr<zq::mediacore::IMeta> /*meta*/) {}
    virtual void isDraw(bool /*draw*/) const {}
    // Placeholders that keep the places of the host's table.
    virtual void reservedOp1() {}
    virtual void reservedOp2() {}
    virtual void reservedOp3() {}
    virtual void reservedOp4() {}
    virtual void updateGetFrameTime(double /*time*/) {}
    virtual void setLinkState(bool /*state*/) {}
    virtual void setZQRuntime(tarsel::IZQRuntime* runtime) = 0;
    virtual void unsetZQRuntime() = 0;
    virtual void setSenderMgr(qorva::mediaoutput::IVirtualSenderMgr* mgr) = 0;
};

}  // namespace qorva::mediadispatch
