#pragma once
// The state of the input source controller and the operations of its render thread.
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "common/dispatchwiring.h"
#include "common/guarded.h"
#include "qorvarenderctrl/inputsourcerenderctrl.h"

namespace qorva::mediadispatch {

class InputSourceRenderCtrl::Impl : public std::enable_shared_from_this<InputSourceRenderCtrl::Impl> {
public:
    using IRenderFacade = qorva::mediaoutput::IRenderFacade;
    using LayerFrameInfo = qorva::mediaoutput::LayerFrameInfo;
    using InputSourceItem = tarsel::InputSourceItem;
    using IPlayer = tarsel::IPlayer;

    // What one iteration works with, taken once at its start: the host may replace
    // any of it while the thread runs, and a pass never sees half a replacement.
    struct Pass {
        std::weak_ptr<IRenderFacade> renderFacade;
        tarsel::IMediaMgr* mediaMgr = nullptr;
        std::shared_ptr<const FrameDataCallBack> frameDataCallBack;
        std::shared_ptr<const InputFrameDataUpdateCallBack> inputFrameDataUpdateCallBack;
    };

    explicit Impl(InputSourceRenderCtrl* owner);
    ~Impl();
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    // The thread (renderthread.cpp).
    void setRenderFacade(std::weak_ptr<IRenderFacade> facade);
    void release();
    void releaseUnlessOnRenderThread();
    void run();
    void updateInputFrameData();

    // The update pass and the frame taps (updatepass.cpp).
    void updateInputFrameData(std::vector<std::shared_ptr<IPlayer>>& players);
    bool takeFrame(const InputSourceItem& item, double clock, int64_t now,
                   std::vector<std::shared_ptr<IPlayer>>& players, LayerFrameInfo& record);
    void inputSourceRenderFrame(LayerFrameInfo& record, const InputSourceItem& item);

    // Online state of stream sources (streamsources.cpp).
    void syncStreamSourceTracking(const std::vector<InputSourceItem>& items, int64_t now);
    void stampStreamSourceFrames(const InputSourceItem& item, int64_t now);
    void checkStreamSourceOnlineStatus(const InputSourceItem& item, int64_t now);

    // Dispatch and edit client events (events.cpp).
    void setMediaDispatchMgr(std::weak_ptr<IMediaDispatchMgr> mgr);
    void unsetMediaDispatchMgr();
    void onDispatchAdded(std::weak_ptr<IDispatch> dispatch);
    void onDispatchRemoved(std::weak_ptr<IDispatch> dispatch);
    void unwire(IDispatch& dispatch);
    void onMediasAdded(const std::vector<MediaInfo>& medias);
    void onMediaAboutToBeRemoved(uint64_t a, uint64_t mediaId, tarsel::EditingMode mode);
    void setZQRuntime(tarsel::IZQRuntime* rt);
    void unsetZQRuntime();
    void onRpcClientConnected(void* argument);
    void onRpcClientDisconnect(void* argument);

    InputSourceRenderCtrl* owner;
    renderctrl::Guarded<std::weak_ptr<IMediaDispatchMgr>> mediaDispatchMgr;
    renderctrl::DispatchWiring dispatchWiring;
    std::atomic<tarsel::IMediaMgr*> _mediaMgr{nullptr};
    std::mutex updateMutex;
    std::mutex threadMutex;  // guards renderThread
    std::unique_ptr<std::thread> renderThread;
    std::atomic<std::thread::id> renderThreadId{};  // read without the lock: see release()
    bool onRenderThread() const;
    std::atomic<bool> running{true};
    std::atomic<bool> frameDataSwitch{true};
    renderctrl::Guarded<std::weak_ptr<IRenderFacade>> renderFacade;
    renderctrl::Guarded<std::shared_ptr<const FrameDataCallBack>> frameDataCallBack;
    renderctrl::Guarded<std::shared_ptr<const InputFrameDataUpdateCallBack>> inputFrameDataUpdateCallBack;
    // Placement id -> steady-clock nanoseconds of its last frame; render thread only.
    std::map<uint64_t, int64_t> streamSourceLastFrame;
    std::atomic<tarsel::IZQRuntime*> runtime{nullptr};
    std::atomic<bool> editClientConnected{true};

    Pass _pass;  // render thread only
};

}  // namespace qorva::mediadispatch
