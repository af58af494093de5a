#pragma once
// The interface through which the host drives the render control manager.
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

/// The render control library's classes, beside the host's media dispatch interfaces.
namespace qorva::mediadispatch {

/// The frame data tap: the MediaInfo of a drawn layer (the layer is its third id) and a
/// down-scaled copy of its frame (the player's frame itself when the layer is tapped
/// unscaled), valid only during the call.
using FrameDataCallBack = std::function<void(const qorva::MediaInfo&, const zq::mediacore::IFrame*)>;

/// The interface through which the host drives the render control manager, RenderCtrlMgr,
/// whose behaviour the comments describe. Every operation runs on the host's calling thread.
/// The order of its virtual operations is the host's binary contract: never reorder, insert
/// or remove one.
class QORVARENDERCTRL_API IRenderCtrl {
public:
    virtual ~IRenderCtrl() = default;

    /// Stores the dispatch manager (weak, locked per use), hands it to the controllers and
    /// connects to its dispatch added and removed signals: set it before the host adds its
    /// dispatches. An expired one is stored and logs "shareDispatchMgr is null" (warning).
    virtual void setMediaDispatchMgr(std::weak_ptr<IMediaDispatchMgr> mgr) = 0;
    /// Disconnects from the dispatch manager, from every dispatch it lists and from every one
    /// wired since it was set, and takes it from the controllers (the manager keeps its weak
    /// reference). Without one it logs "mediaDispatchMgr is null." (info).
    /// The disconnect returns at once: an emission already in progress may still call in once,
    /// so let it return before dropping the last reference (README, "Signals: what the
    /// host must do").
    virtual void unsetMediaDispatchMgr() = 0;
    /// Stores the media manager (borrowed, never owned), hands it to the controllers and
    /// connects to its display card and frame time signals. A null one is stored and handed on
    /// but connects nothing.
    virtual void setMediaMgr(tarsel::IMediaMgr* mgr) = 0;
    /// Disconnects from the media manager, calls its mediaMgrDetached() and takes it from the
    /// manager and the controllers. The host calls it after release().
    virtual void unsetMediaMgr() = 0;
    /// Stores the facade (weak, locked per use) and makes a render controller for each card it
    /// lists that has none yet: a card given to the frame sync object (createFrameSync()) is
    /// driven by that library's thread, any other gets a render thread of its own, started
    /// before the controller is handed the services and settings set so far, so that its first
    /// passes may go without them. An expired facade is only stored.
    virtual void setRenderFacade(std::weak_ptr<qorva::mediaoutput::IRenderFacade> facade) = 0;
    /// Hands the tap to the controllers that exist, so the host sets it after setRenderFacade().
    /// It is called on the render threads and the frame sync thread, several at once. An empty
    /// function stops every card's render thread for good, and returns once no pass can still
    /// call the old tap and the old tap, with what it captured, has been let go; called from a
    /// tap, it does not wait for a pass that is itself clearing the tap or releasing (its own
    /// among them: that pass stops calling the old tap once the tap returns).
    virtual void setFrameDataCallBack(const FrameDataCallBack& callback) = 0;
    /// Turns the frame data tap on or off (on by default), for the controllers that exist and
    /// those setRenderFacade() makes later.
    virtual void setFrameDataSwitch(bool on) = 0;
    /// The layer whose frame time the frame sync master card reports to the media manager while
    /// setFrameSyncFlag() is on; -1 (the default) reports none. Reaches the controllers that
    /// exist and those setRenderFacade() later gives to the frame sync object.
    virtual void setFrameSyncCheckLayerIndex(int32_t /*index*/) {}
    /// The sync mode setRenderFacade() hands the frame sync object as it adds each card to it:
    /// set it before setRenderFacade().
    virtual void setFrameSyncMode(int32_t /*mode*/) {}
    /// Above 0, set before setRenderFacade() with a server-mode runtime, it makes
    /// setRenderFacade() post RenderCtrlMgr::startFrameSyncTimer() to the runtime's thread.
    virtual void setFrameSyncLocalCheck(int32_t /*value*/) {}
    /// Loads the frame sync library (once per process) and makes its object, initialised with
    /// the media manager's codec context and handed to it; setRenderFacade() then gives it the
    /// NVIDIA cards other than T400. Needs setMediaMgr(): logs "_mediaMgr is null" or
    /// "frameSyncCodexCtx is null" (warnings); a failed load prints "framesync load failed".
    virtual void createFrameSync() = 0;
    /// Turns the frame time report of the first card given to the frame sync object on or off
    /// (the cluster link sets it on each role change). Without such a card it logs
    /// "_frameSyncRenderCtrl is null" (warning).
    virtual void setFrameSyncFlag(bool /*flag*/) {}
    /// Stops and joins each card's render thread in the order of the card texts, then stops the
    /// frame time log and destroys the frame sync object: the first step of shutdown. Called
    /// inside a draw pass (from the tap, or from a host call a pass makes) it joins no render
    /// thread: they end after their pass and are joined by the next release() or when the
    /// manager goes. Called from a card's vertical-blank wait on its render thread, it lets that
    /// thread end after the wait and joins the other cards' threads. On the frame sync thread
    /// the object is destroyed on a thread of the library once that thread has left its call;
    /// on any other thread at once. It throws nothing of its own. A later release() from a host thread
    /// returns once all of it is done.
    virtual void release() = 0;
    /// Disconnects from the layout manager and its render view and withdraws the callbacks set
    /// on them. The controllers keep their weak reference to it and go on locking it for their
    /// passes until the manager goes or another one is set. Without one it logs
    /// "layoutMgr is null" (warning).
    /// The disconnect returns at once: an emission already in progress may still call in once,
    /// so let it return before dropping the last reference (README, "Signals: what the
    /// host must do").
    virtual void unsetOutPutLayoutMgr() {}
    /// Stores the layout manager (weak, locked per use), hands it to the controllers, connects
    /// to its and its render view's signals and sets the layer callbacks on them. An expired one
    /// is not stored and logs "layoutMgr is null" (warning), once more per controller.
    virtual void setOutPutLayoutMgr(std::weak_ptr<qorva::mediaoutput::IMediaOutputLayoutMgr> /*mgr*/) {}
    /// Stores the output manager (borrowed, never owned), which the dispatches' layout fades go
    /// to; a fade without it logs "_outputMgr is null" (warning).
    virtual void setOutPutMgr(qorva::mediaoutput::IOutputMgr* /*mgr*/) {}
    /// Hands the physical output manager to the controllers that exist, each keeping a weak
    /// reference: set it after setRenderFacade(). An expired one logs
    /// "physicsOutputMgr is invaild." (info) per controller.
    virtual void setPhysicsOutputMgr(std::weak_ptr<qorva::mediaoutput::IPhysicsOutputMgr> /*mgr*/) {}
    /// Shows or hides a media item's thumbnail layer through the layout manager; the first id is
    /// not used. Without a layout manager it logs "layoutMgr is null." (error).
    virtual void setMediaVisible(uint64_t /*firstId*/, uint64_t /*mediaId*/, bool /*visible*/) {}
    /// Hands the media's original thumbnail frame to the layout manager once, on the thumbnail
    /// layer of the given ids, then destroys the thumbnail. Logs "layoutMgr is null." or
    /// "meta is null" (errors), or "orgThumbFrame is null." (info) with nothing to show.
    virtual void showOrgThumbnail(uint64_t /*firstId*/, uint64_t /*secondId*/,
                                  std::weak_ptr<zq::mediacore::IMeta> /*meta*/) {}
    /// Does nothing; it keeps its place in the host's table.
    virtual void isDraw(bool /*draw*/) const {}
    /// Placeholder that keeps a place of the host's table; does nothing.
    virtual void reservedOp1() {}
    /// Placeholder that keeps a place of the host's table; does nothing.
    virtual void reservedOp2() {}
    /// Placeholder that keeps a place of the host's table; does nothing.
    virtual void reservedOp3() {}
    /// Placeholder that keeps a place of the host's table; does nothing.
    virtual void reservedOp4() {}
    /// The time at which the controllers that exist ask their players for frames from their next
    /// pass on; the media manager's frame time signal does the same.
    virtual void updateGetFrameTime(double /*time*/) {}
    /// While true (the node has a cluster role) no frame data is tapped. Reaches existing and
    /// later controllers; the cluster link sets it on each role change.
    virtual void setLinkState(bool /*state*/) {}
    /// Stores the runtime (borrowed, never owned) and hands it to the controllers; with a
    /// server-mode runtime each registers for the edit client's events and stops tapping while
    /// the client is disconnected. Set it before setRenderFacade().
    virtual void setZQRuntime(tarsel::IZQRuntime* runtime) = 0;
    /// Stops the frame time log, then takes the runtime from the manager and the controllers,
    /// which unregister their event handlers. No frame time log starts on it afterwards, also
    /// not from a task setRenderFacade() posted before.
    virtual void unsetZQRuntime() = 0;
    /// Hands the virtual sender manager (borrowed) to the controllers that exist: set it after
    /// setRenderFacade(). Each pass then sends the card's output textures to it while a runtime
    /// is set that is not in client mode.
    virtual void setSenderMgr(qorva::mediaoutput::IVirtualSenderMgr* mgr) = 0;
};

}  // namespace qorva::mediadispatch
