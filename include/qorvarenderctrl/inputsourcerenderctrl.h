#pragma once
// Renders the host's input (live stream) sources on a thread of its own, feeds their
// frame taps and marks stream sources offline when they stop delivering frames.
// The callbacks run on that thread: keep them short and do not call back into the
// controller from them.
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

// The input-frame tap: a placement id and the frame shown there.
using InputFrameDataUpdateCallBack = std::function<void(uint64_t, const zq::mediacore::IFrame*)>;

class QORVARENDERCTRL_API InputSourceRenderCtrl {
public:
    InputSourceRenderCtrl();
    // Moving hands the implementation over; the source holds none afterwards and
    // every operation on it does nothing.
    InputSourceRenderCtrl(InputSourceRenderCtrl&& other) noexcept;
    // Stops the thread of the implementation it held, then takes over the other's.
    InputSourceRenderCtrl& operator=(InputSourceRenderCtrl&& other);
    InputSourceRenderCtrl(const InputSourceRenderCtrl&) = delete;
    InputSourceRenderCtrl& operator=(const InputSourceRenderCtrl&) = delete;
    // Stops and joins the thread.
    virtual ~InputSourceRenderCtrl();

    // Stops and joins the thread; throws std::system_error when called on it.
    void release();
    // Stores the facade and starts the thread if there is none yet.
    void setRenderFacade(std::weak_ptr<qorva::mediaoutput::IRenderFacade> facade);
    void setMediaMgr(tarsel::IMediaMgr* mgr);
    void unsetMediaMgr();
    void setMediaDispatchMgr(std::weak_ptr<IMediaDispatchMgr> mgr);
    void unsetMediaDispatchMgr();
    void setZQRuntime(tarsel::IZQRuntime* runtime);
    void unsetZQRuntime();
    void setFrameDataCallBack(const FrameDataCallBack& callback);
    void setInputFrameDataUpdateCallBack(const InputFrameDataUpdateCallBack& callback);
    void setFrameDataSwitch(bool on);

    class QORVARENDERCTRL_LOCAL Impl;

private:
    std::shared_ptr<Impl> _impl;
};

}  // namespace qorva::mediadispatch
