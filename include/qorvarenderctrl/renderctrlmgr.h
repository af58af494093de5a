#pragma once
// The library's entry object: holds the host services, runs one render controller
// per display card, forwards editing events and talks to the frame sync library.
#include <memory>

#include "qorvarenderctrl/export.h"
#include "qorvarenderctrl/irenderctrl.h"

namespace qorva::mediadispatch {

class QORVARENDERCTRL_API RenderCtrlMgr : public IRenderCtrl, public std::enable_shared_from_this<RenderCtrlMgr> {
public:
    RenderCtrlMgr();
    // Copies share one implementation.
    RenderCtrlMgr(const RenderCtrlMgr& other);
    RenderCtrlMgr& operator=(const RenderCtrlMgr& other);
    ~RenderCtrlMgr() override;

    void setMediaDispatchMgr(std::weak_ptr<IMediaDispatchMgr> mgr) override;
    void unsetMediaDispatchMgr() override;
    void setMediaMgr(tarsel::IMediaMgr* mgr) override;
    void unsetMediaMgr() override;
    void setRenderFacade(std::weak_ptr<qorva::mediaoutput::IRenderFacade> facade) override;
    void setFrameDataCallBack(const FrameDataCallBack& callback) override;
    void setFrameDataSwitch(bool on) override;
    void setFrameSyncCheckLayerIndex(int32_t index) override;
    void setFrameSyncMode(int32_t mode) override;
    void setFrameSyncLocalCheck(int32_t value) override;
    void createFrameSync() override;
    void setFrameSyncFlag(bool flag) override;
    void release() override;
    void unsetOutPutLayoutMgr() override;
    void setOutPutLayoutMgr(std::weak_ptr<qorva::mediaoutput::IMediaOutputLayoutMgr> mgr) override;
    void setOutPutMgr(qorva::mediaoutput::IOutputMgr* mgr) override;
    void setPhysicsOutputMgr(std::weak_ptr<qorva::mediaoutput::IPhysicsOutputMgr> mgr) override;
    void setMediaVisible(uint64_t firstId, uint64_t mediaId, bool visible) override;
    void showOrgThumbnail(uint64_t firstId, uint64_t secondId, std::weak_ptr<zq::mediacore::IMeta> meta) override;
    void isDraw(bool draw) const override;
    void updateGetFrameTime(double time) override;
    void setLinkState(bool state) override;
    void setZQRuntime(tarsel::IZQRuntime* runtime) override;
    void unsetZQRuntime() override;
    void setSenderMgr(qorva::mediaoutput::IVirtualSenderMgr* mgr) override;

    // The frame sync object's network side, for the cluster link.
    bool linkTarget(const char* ip, int port);
    bool dislinkTarget(const char* ip, int port);
    bool keepMasterTime(bool isClear);
    int getNetPort();
    // Logs every card's frame times every 5000 ms on the runtime's timer thread.
    void startFrameSyncTimer();

    class QORVARENDERCTRL_LOCAL Impl;

private:
    std::shared_ptr<Impl> _impl;
};

}  // namespace qorva::mediadispatch
