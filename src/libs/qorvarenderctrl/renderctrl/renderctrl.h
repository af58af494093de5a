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
    // Stops the render thread; called from inside a pass it only lowers the loop flag.
    void stopThread();
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
    // still call the old tap, except a pass in a teardown (the caller's own among them).
    void setFrameDataCallBack(const FrameDataCallBack& callback);
    void setFrameDataSwitch(bool on);
    void setFrameSyncCheckLayerIndex(int32_t index);
    void setFrameSyncFlag(bool flag);
    void setLinkState(bool state);

    // Whether the calling thread is inside a draw pass of any card.
    static bool insidePass();

    // Marks the passes the calling thread is inside as being in a teardown for its
    // life (a clear of the tap or a release made from a tap): others do not wait for
    // them, since such a pass may itself be waiting for theirs.
    class TeardownScope {
    public:
        TeardownScope();
        ~TeardownScope();
        TeardownScope(const TeardownScope&) = delete;
        TeardownScope& operator=(const TeardownScope&) = delete;
    };

    class Impl;

private:
    std::shared_ptr<Impl> _impl;
};

}  // namespace qorva::mediadispatch
