#pragma once
// The input source controller.
#include <cstdint>
#include <functional>
#include <memory>

#include "qorvahost/imediadispatchmgr.h"
#include "qorvahost/imediamgr.h"
#include "qorvahost/irenderfacade.h"
#include "qorvahost/izqruntime.h"
#include "qorvahost/zqmediacore.h"
#include "qorvarenderctrl/export.h"
#include "qorvarenderctrl/irenderctrl.h"

namespace qorva::mediadispatch {

/// The input-frame tap: a placement id and the frame shown there, valid only during the call.
using InputFrameDataUpdateCallBack = std::function<void(uint64_t, const zq::mediacore::IFrame*)>;

/// Renders the host's input (live stream) sources on a thread of its own, 16 ms apart,
/// feeds their frame taps and marks stream sources offline after 10.001 s without a frame.
/// Its operations run on the host's calling thread, the callbacks on the controller's
/// thread while it holds its pass lock: keep them short. From them release() throws and the
/// destructor lets the thread end after that pass.
class QORVARENDERCTRL_API InputSourceRenderCtrl {
public:
    /// A controller without services; setRenderFacade() starts its thread.
    InputSourceRenderCtrl();
    /// Moving hands the implementation over; the source holds none afterwards and
    /// every operation on it does nothing.
    InputSourceRenderCtrl(InputSourceRenderCtrl&& other) noexcept;
    /// Stops the thread of the implementation it held, then takes over the other's.
    InputSourceRenderCtrl& operator=(InputSourceRenderCtrl&& other);
    InputSourceRenderCtrl(const InputSourceRenderCtrl&) = delete;
    InputSourceRenderCtrl& operator=(const InputSourceRenderCtrl&) = delete;
    /// Stops and joins the thread; destroyed from one of its callbacks, it lets the thread end
    /// after that pass instead.
    virtual ~InputSourceRenderCtrl();

    /// Stops and joins the thread, after the pass in progress: the first step of shutdown.
    /// Throws std::system_error (resource deadlock) when called on that thread.
    void release();
    /// Stores the facade (weak, locked per pass) and starts the thread if there is none yet:
    /// set it last. The thread holds the facade it started with while it runs; an expired one
    /// ends it at once, logging "renderFacade is null." (info), and only release() lets a
    /// later call start a new one.
    void setRenderFacade(std::weak_ptr<qorva::mediaoutput::IRenderFacade> facade);
    /// Stores the media manager (borrowed, never owned) whose input sources each pass renders;
    /// a pass without it logs "_mediaMgr is null." (info).
    void setMediaMgr(tarsel::IMediaMgr* mgr);
    /// Forgets the media manager; the host calls it after release().
    void unsetMediaMgr();
    /// Stores the dispatch manager (weak, locked per use) and connects to the dispatches it
    /// announces from then on: media they add or remove is switched active or inactive on the
    /// facade. An expired one is not stored and logs "mediaDispatchMgr is null." (info).
    void setMediaDispatchMgr(std::weak_ptr<IMediaDispatchMgr> mgr);
    /// Disconnects from the dispatch manager and every dispatch it lists. Without one it logs
    /// "mediaDispatchMgr is null." (info).
    void unsetMediaDispatchMgr();
    /// Stores the runtime (borrowed, never owned); in server mode it registers for the edit
    /// client's events, and the frame data tap stops while the client is disconnected.
    void setZQRuntime(tarsel::IZQRuntime* runtime);
    /// Unregisters those event handlers and forgets the runtime.
    void unsetZQRuntime();
    /// The frame data tap: each placement of an input, scaled to 150x84, on the controller's
    /// thread, while the switch is on and the edit client connected. An empty function removes
    /// it; a pass in progress may still call the old one, so call release() first before
    /// freeing its receiver. A pass lets its copy go when it ends.
    void setFrameDataCallBack(const FrameDataCallBack& callback);
    /// The input-frame tap, on the controller's thread: the source's own frame while the frame
    /// data tap is not set; while it is set, the scaled frame when the switch is on and the edit
    /// client connected, and nothing otherwise. While it is set no stream source is marked
    /// offline.
    void setInputFrameDataUpdateCallBack(const InputFrameDataUpdateCallBack& callback);
    /// Turns the frame data tap on or off (on by default).
    void setFrameDataSwitch(bool on);

    class QORVARENDERCTRL_LOCAL Impl;

private:
    std::shared_ptr<Impl> _impl;
};

}  // namespace qorva::mediadispatch
