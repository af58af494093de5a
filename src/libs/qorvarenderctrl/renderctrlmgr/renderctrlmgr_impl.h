#pragma once
// The state of the render control manager: the host services, one render controller
// per display card, the frame sync object, and the handlers of the host's signals.
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <utility>
#include <vector>

#include "common/dispatchwiring.h"
#include "common/guarded.h"
#include "qorvarenderctrl/renderctrlmgr.h"
#include "renderctrl/renderctrl.h"
#include "renderctrlmgr/framesyncrenderctx.h"

namespace qorva::mediadispatch {

using qorva::DispatchType;
using qorva::MediaInfo;
using qorva::mediaoutput::IMediaOutputLayoutMgr;
using qorva::mediaoutput::IOutputMgr;
using qorva::mediaoutput::IPhysicsOutputMgr;
using qorva::mediaoutput::IRenderFacade;
using qorva::mediaoutput::IVirtualSenderMgr;
using qorva::mediaoutput::LayoutAttribute;
using renderctrl::DispatchWiring;
using renderctrl::Guarded;
using tarsel::EditingMode;

// The log callback handed to the frame sync library.
void FSLogCallbackFunc(int level, const char* text);

class RenderCtrlMgr::Impl : public std::enable_shared_from_this<RenderCtrlMgr::Impl> {
public:
    explicit Impl(RenderCtrlMgr* owner);
    ~Impl();
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    // Wiring (wiring.cpp).
    void setMediaDispatchMgr(std::weak_ptr<IMediaDispatchMgr> mgr);
    void unsetMediaDispatchMgr();
    void setMediaMgr(tarsel::IMediaMgr* mgr);
    void unsetMediaMgr();
    void setOutPutLayoutMgr(std::weak_ptr<IMediaOutputLayoutMgr> mgr);
    void unsetOutPutLayoutMgr();
    void setRenderFacade(std::weak_ptr<IRenderFacade> facade);
    void setPhysicsOutputMgr(std::weak_ptr<IPhysicsOutputMgr> mgr);
    void setZQRuntime(tarsel::IZQRuntime* runtime);
    void unsetZQRuntime();
    // Puts `next` in the runtime's place under the lock a timer start holds, and stops
    // the frame time timer on the runtime it ran on. Returns whether one ran there.
    bool replaceRuntime(tarsel::IZQRuntime* next);
    void setSenderMgr(IVirtualSenderMgr* mgr);
    void setLinkState(bool state);
    void release();

    // Calls `call` on every controller in key order. The table is copied under the
    // shared lock and the calls are made without it: a call that waits for a pass
    // (release, clearing the tap) must not hold the lock that a tap or pass may take
    // again, which a writer-preferring lock would then refuse while setRenderFacade
    // waits for it.
    template <class Call>
    void forEachController(Call&& call) {
        std::vector<std::pair<std::string, std::shared_ptr<RenderCtrl>>> controllers;
        {
            std::shared_lock lock(renderCtrlsMutex);
            controllers.assign(renderCtrls.begin(), renderCtrls.end());
        }
        for (const auto& [card, controller] : controllers) call(card, *controller);
    }
    // A walk under a lock the caller holds; its calls only store a setting.
    template <class Call>
    void walkControllers(Call&& call) {
        for (const auto& [key, entry] : renderCtrls) {
            const std::string card = key;
            const std::shared_ptr<RenderCtrl> controller = entry;
            call(card, *controller);
        }
    }

    // Thumbnails, visibility, frame data taps (framedatataps.cpp).
    void setFrameDataCallBack(const FrameDataCallBack& callback);
    void setFrameDataSwitch(bool on);
    void setMediaVisible(uint64_t firstId, uint64_t mediaId, bool visible);
    void showOrgThumbnail(uint64_t firstId, uint64_t secondId, std::weak_ptr<zq::mediacore::IMeta> meta);

    // Frame synchronisation (framesync.cpp).
    void createFrameSync();
    void setFrameSyncCheckLayerIndex(int32_t index);
    void setFrameSyncFlag(bool flag);
    bool linkTarget(const char* ip, int port);
    bool dislinkTarget(const char* ip, int port);
    bool keepMasterTime(bool isClear);
    int getNetPort();
    void startFrameSyncTimer();
    void stopFrameSyncTimer();
    // Forgets the frame sync objects and ends them with destroy(); on a frame sync
    // library's thread, a thread of the manager's ends them once that thread has left.
    void destroyFrameSync();
    void updateGetFrameTime(double time);

    // Render view callbacks (renderviewcallbacks.cpp).
    uint64_t currentLayoutUsableLayerCallback() const;
    bool getLayerLockStateCallback(uint64_t layerId) const;
    RenderCtrlMgrCallBackCommon getRenderCtrlMgrCallBackCommon(RenderCtrlMgrCallBackType type) const;
    std::vector<LayoutAttribute> layoutPropertyCallback() const;
    bool patchSelectStatusCallback() const;

    // Media dispatch manager, media manager, layout manager and render view events
    // (eventforwarding.cpp).
    void onDispatchAdded(std::weak_ptr<IDispatch> dispatch);
    void onDispatchRemoved(std::weak_ptr<IDispatch> dispatch);
    // Connects or disconnects one dispatch's signals and callbacks.
    void wireDispatch(IDispatch& dispatch);
    void unwireDispatch(IDispatch& dispatch);
    void onMediaDisplayCardsChanged(uint64_t id, const std::vector<std::string>& cards, const EditingMode& mode);
    void onLayerAdded(uint64_t id, const std::string& name);
    void onTakeCutTriggered(bool a, bool b);
    void onLayoutNameChanged(uint64_t layoutId, const std::string& name);
    void onLayoutLockedChanged(uint64_t layoutId, bool locked);
    void onNotifyMediaUpdateDisplayCards(const std::multimap<uint64_t, EditingMode>& medias);
    void onOutputAddMedias(const std::vector<MediaInfo>& medias);
    void onOutputDelMedias(const std::vector<MediaInfo>& medias, bool flag);
    void onDeleteSelectedOutputPatch(const std::vector<uint64_t>& ids);
    void onIsSelectedOutputPatchHasMedia(const std::vector<uint64_t>& ids, bool& result);

    // Dispatch events (dispatchevents.cpp), in the order they are connected.
    void onLayerAdded(const std::vector<uint64_t>& ids, uint64_t id, const std::string& name, const std::string& extra);
    void onLayerRemove(const std::vector<uint64_t>& ids, const std::vector<uint64_t>& items, bool flag);
    void onLayerAdded(const std::vector<uint64_t>& ids, uint64_t id, const std::string& name, uint64_t number);
    void onLayerNameChanged(uint64_t id, const std::string& name);
    void onMediasAdded(const std::vector<MediaInfo>& medias);
    void onMediasReplaced(uint64_t id, EditingMode mode);
    void onMediaAboutToBeRemoved(uint64_t a, uint64_t b, EditingMode mode);
    void onMediaVisibleChanged(uint64_t layoutId, uint64_t layerId, uint64_t mediaId, bool visible, EditingMode mode,
                               int32_t value);
    void onMediaLayerChanged(uint64_t mediaId, uint64_t layerId, EditingMode mode);
    void onMediaFadeToggled(const STDispatchMediaFadeInfo& info);
    void onMediaReleased(const std::vector<MediaInfo>& medias);
    void onMediaForceUpdate(uint64_t id, EditingMode mode, bool flag);
    void onLayoutAdded(DispatchType type, uint64_t layoutId, const std::string& name);
    void onLayoutAboutToBeDeleted(DispatchType type, uint64_t layoutId);
    void onLayoutKeepChanged(bool keep);
    void onLayoutVisibleChanged(DispatchType type, uint64_t layoutId, bool visible, EditingMode mode);
    void onMediaColorPropertyChanged(uint64_t id, const std::vector<std::pair<uint64_t, tarsel::ColorProperty>>& colors,
                                     const EditingMode& mode);
    void onMediaBorderPropertyChanged(uint64_t id, const std::vector<uint64_t>& ids,
                                      const tarsel::BorderProperty& border, const EditingMode& mode);
    void onMediaPickPropertyChanged(uint64_t id, const std::vector<uint64_t>& ids, const tarsel::PickProperty& pick,
                                    const EditingMode& mode);
    void onMediaEffectPropertyChanged(uint64_t id, const std::vector<uint64_t>& ids, const tarsel::EffectType& type,
                                      const tarsel::EffectProperty& effect, const EditingMode& mode);
    void onAllLayoutPropertySet(uint64_t id, bool flag, EditingMode mode);
    void onLayoutPropertyset(uint64_t a, uint64_t b, EditingMode mode);
    void changeLayoutName(uint64_t first, uint64_t layoutId, const std::string& name);
    void onCreateLayoutCopy(uint64_t a, uint64_t b, const std::string& name, EditingMode mode);
    void onChangeLayoutLock(uint64_t a, uint64_t second, bool lock, EditingMode mode);
    void onClearMediaOutput();
    void onSyncPreeditDatas(uint64_t id);
    void onLayerSelected(uint64_t a, uint64_t b);
    void resetLayoutKeep();
    void onLoadPreviewLayout();
    void onLayoutStartFade(const LayoutStartFadeParam& param);
    void onLayoutStopFade(uint64_t id);
    void onMediaPlayStateChanged(const STMediaPlayStateInfo& info);

    RenderCtrlMgr* const owner;

    // Members in the order of the manager's state. Services handed in as weak
    // references are replaced under a lock, raw pointers and settings are atomics:
    // handlers and render threads may read them while the host replaces them.
    Guarded<std::weak_ptr<IMediaDispatchMgr>> mediaDispatchMgr;
    DispatchWiring dispatchWiring;
    std::atomic<tarsel::IMediaMgr*> _mediaMgr{nullptr};
    Guarded<std::weak_ptr<IMediaOutputLayoutMgr>> layoutMgr;
    std::atomic<bool> frameDataSwitch{true};
    std::atomic<int32_t> frameSyncCheckLayerIndex{-1};
    std::atomic<int32_t> frameSyncMode{0};
    std::atomic<int32_t> frameSyncLocalCheck{0};
    std::atomic<bool> linkState{false};
    Guarded<std::weak_ptr<IRenderFacade>> renderFacade;
    std::shared_mutex renderCtrlsMutex;
    std::map<std::string, std::shared_ptr<RenderCtrl>> renderCtrls;
    Guarded<std::weak_ptr<RenderCtrl>> _frameSyncRenderCtrl;
    // Read under a shared lock for the length of a call into it, replaced and taken
    // under the exclusive lock: the link threads never call a destroyed object.
    mutable std::shared_mutex frameSyncMutex;
    IFrameSync* _frameSync = nullptr;
    // Objects that a later createFrameSync replaced: their threads still drive the cards
    // registered with them, so they are ended with the current one. Under frameSyncMutex.
    std::vector<IFrameSync*> replacedFrameSyncs;
    std::vector<std::shared_ptr<FrameSyncRenderCtx>> frameSyncRenderCtxs;
    // Ends begun on a frame sync library's thread, finished by the next release or the
    // destructor. Under frameSyncMutex.
    std::vector<std::unique_ptr<FrameSyncEnd>> frameSyncEnds;
    std::atomic<tarsel::IZQRuntime*> _zqRuntime{nullptr};
    std::atomic<IOutputMgr*> _outputMgr{nullptr};
    // The frame sync timer, stopped by release, unsetZQRuntime and on destruction.
    std::atomic<int> frameSyncTimerId{-1};
    // Taken by setZQRuntime and unsetZQRuntime, and by whatever starts a timer or posts
    // a task on the runtime, so that nothing is started on a runtime already unset.
    std::mutex runtimeMutex;
};

}  // namespace qorva::mediadispatch
