#pragma once
// The library's entry object.
#include <memory>

#include "qorvarenderctrl/export.h"
#include "qorvarenderctrl/irenderctrl.h"

namespace qorva::mediadispatch {

/// The library's entry object: holds the host services, runs one render controller per
/// display card, forwards editing events and talks to the frame sync library. The host keeps
/// it in a std::shared_ptr; its operations are described on IRenderCtrl.
class QORVARENDERCTRL_API RenderCtrlMgr : public IRenderCtrl, public std::enable_shared_from_this<RenderCtrlMgr> {
public:
    /// A manager without services or controllers.
    RenderCtrlMgr();
    /// Copies share one implementation.
    RenderCtrlMgr(const RenderCtrlMgr& other);
    /// Shares the other's implementation.
    RenderCtrlMgr& operator=(const RenderCtrlMgr& other);
    /// With the last copy, stops the frame time log, destroys the frame sync object and joins
    /// every render thread, also when the host did not call release(). Dropped inside a draw
    /// pass (from the tap), it joins no render thread: they end after their pass. Dropped on
    /// the frame sync thread, the frame sync object is destroyed on a thread of the library once
    /// that thread has left its call.
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

    // The frame sync object's network side, for the cluster link: it calls these on the link
    // manager's dispatcher thread and on the runtime's timer thread.
    /// Links the frame sync object to a node's port, after logging "Link linkTarget ip:{}"
    /// (info). Without an object it logs "_impl->_frameSync is null." (info) and returns false.
    bool linkTarget(const char* ip, int port);
    /// Undoes linkTarget(), after logging "Link dislinkTarget ip:{}" (info); without an object
    /// the same log as linkTarget() and false.
    bool dislinkTarget(const char* ip, int port);
    /// Hands isClear to the frame sync object: true when the node becomes master backup, false
    /// when it restores the links as master, after logging "Link keepMasterTime isClear:{}"
    /// (info). Without an object the same log as linkTarget() and false.
    bool keepMasterTime(bool isClear);
    /// The frame sync object's network port; without an object the same log and 0.
    int getNetPort();
    /// Logs every card's frame times every 5000 ms on the runtime's timer thread. Needs the
    /// runtime; started again it replaces its timer; release(), unsetZQRuntime() and the last
    /// copy's destruction stop it.
    void startFrameSyncTimer();

    class QORVARENDERCTRL_LOCAL Impl;

private:
    std::shared_ptr<Impl> _impl;
};

}  // namespace qorva::mediadispatch
