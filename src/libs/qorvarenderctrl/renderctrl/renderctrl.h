#pragma once
// The render controller of one display card: its render thread repeats a draw pass
// and a wait for the card's vertical blank. A card driven by the frame sync library
// gets no thread; the library calls updateFrameData and waitForVBlank instead.
#include <cstdint>
#include <memory>
#include <string>

#include "qorvahost.h"
#include "qorvarenderctrl/irenderctrl.h"

namespace qorva::mediadispatch {

class RenderCtrl {
public:
    RenderCtrl();
    // Stops and joins the render thread (unless called on that thread).
    ~RenderCtrl();
    RenderCtrl(const RenderCtrl&) = delete;
    RenderCtrl& operator=(const RenderCtrl&) = delete;

    void setCardName(const std::string& name);
    void setRenderFacade(std::weak_ptr<qorva::mediaoutput::IRenderFacade> facade);
    void start();
    void release();
    // The loop flag: true from construction and start() until release().
    bool isRunning() const;
    void updateFrameData(uint32_t syncValue);
    void waitForVBlank();
    void updateGetFrameTime(double time);
    void getFrameTimes(double& frameTime, double& getFrameTime) const;

    void setMediaDispatchMgr(std::weak_ptr<IMediaDispatchMgr> mgr);
    void unsetMediaDispatchMgr();
    void setMediaMgr(tarsel::IMediaMgr* mgr);
    void unsetMediaMgr();
    void setOutPutLayoutMgr(std::weak_ptr<qorva::mediaoutput::IMediaOutputLayoutMgr> mgr);
    void unsetOutPutLayoutMgr();
    void setPhysicsOutputMgr(std::weak_ptr<qorva::mediaoutput::IPhysicsOutputMgr> mgr);
    void setZQRuntime(tarsel::IZQRuntime* runtime);
    void unsetZQRuntime();
    void setSenderMgr(qorva::mediaoutput::IVirtualSenderMgr* mgr);
    // An empty tap stops the render thread and returns once no pass of this card can
    // still call the old tap (called from inside a pass, it cannot wait for passes).
    void setFrameDataCallBack(const FrameDataCallBack& callback);
    void setFrameDataSwitch(bool on);
    void setFrameSyncCheckLayerIndex(int32_t index);
    void setFrameSyncFlag(bool flag);
    void setLinkState(bool state);

    class Impl;

private:
    std::shared_ptr<Impl> _impl;
};

}  // namespace qorva::mediadispatch
