#pragma once
// The state of a render controller and the operations of its draw pass.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "renderctrl/renderctrl.h"

namespace qorva::mediadispatch {

using qorva::MediaInfo;
using qorva::mediaoutput::IMediaOutputLayoutMgr;
using qorva::mediaoutput::IPhysicsOutputMgr;
using qorva::mediaoutput::IRenderFacade;
using qorva::mediaoutput::IVirtualSenderMgr;
using qorva::mediaoutput::LayerFrameInfo;
using qorva::mediaoutput::OutputLayerSize;
using tarsel::InputSourceEntry;
using tarsel::InputSourceItem;
using tarsel::IPlayer;
using zq::mediacore::IFrame;
using zq::mediacore::IMeta;

// The frame data tap state of one player, kept from pass to pass.
struct PlayerDrawState {
    int32_t tapState = 0;
    int64_t tapTime = 0;
    uint64_t tapWidth = 0;
    uint64_t tapHeight = 0;
    int32_t skipCounter = 0;
    bool scaled = true;
    bool rescale = true;
    uint64_t tapFps = 0;
};

class RenderCtrl::Impl : public std::enable_shared_from_this<Impl> {
public:
    // The host services. Setters replace them under _servicesMutex while a pass may
    // run on another thread; a pass works on the copy it took at its start (_pass),
    // so a replacement never races a running pass and costs the pass one lock.
    struct Services {
        std::weak_ptr<IMediaDispatchMgr> _mediaDispatchMgr;
        tarsel::IMediaMgr* _mediaMgr = nullptr;
        std::weak_ptr<IMediaOutputLayoutMgr> _layoutMgr;
        std::weak_ptr<IPhysicsOutputMgr> _physicsOutputMgr;
        std::weak_ptr<IRenderFacade> _renderFacade;
        std::shared_ptr<const FrameDataCallBack> _frameDataCallBack;
        tarsel::IZQRuntime* _zqRuntime = nullptr;
        IVirtualSenderMgr* _senderMgr = nullptr;
    };

    Impl();
    // Joins the thread, or keeps it when the Impl dies on it (see ~RenderCtrl).
    ~Impl();
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    // Thread (renderloop.cpp).
    void start();
    void release();
    void run();

    // The draw pass (drawpass.cpp), under _passMutex.
    void updateFrameData(uint32_t syncValue);
    // Whether the calling thread is inside a draw pass of any controller, of this one.
    static bool insidePass();
    bool insideOwnPass() const;
    // Waits until no pass of this controller runs, or, for a caller inside a pass, the one
    // that runs is itself inside a teardown (a clear of the tap or a release made from a
    // tap), which must not be waited for: it may be waiting for the caller's pass.
    void awaitPassOutOfTheWay();
    // Stops the render thread: joins it, or, called from inside any pass, only lowers the
    // loop flag (a join there could wait for a pass that waits for this one); the thread
    // then ends after its pass and is joined by the next release or on destruction.
    void stopThread();
    // Destroys the shown org thumbnails and releases the consumed frames.
    void giveBack(const std::vector<std::shared_ptr<IMeta>>& thumbnailMetas,
                  const std::vector<std::shared_ptr<IPlayer>>& consumedPlayers);
    bool accountFrameRate();
    void updateScaleSkip();

    // What the frame update of one pass hands from step to step.
    struct FrameUpdate {
        std::vector<std::shared_ptr<IPlayer>>& consumedPlayers;
        std::vector<std::shared_ptr<IMeta>>& thumbnailMetas;
        uint32_t syncValue;
        bool layoutChanged;
        bool logFrameRate;
    };
    // The services the per-player steps use, locked once per frame update.
    struct Locked {
        std::shared_ptr<IRenderFacade> renderFacade;
        std::shared_ptr<IMediaDispatchMgr> mediaDispatchMgr;
        std::shared_ptr<IMediaOutputLayoutMgr> layoutMgr;
    };

    // Frame update: the players of the card and their frames (framedata.cpp).
    void updateFrameData(std::vector<std::shared_ptr<IPlayer>>& consumedPlayers,
                         std::vector<std::shared_ptr<IMeta>>& thumbnailMetas, uint32_t syncValue);
    void updatePlayer(const InputSourceItem& player, int index, FrameUpdate& update);
    void drawThumbnail(LayerFrameInfo& rec, const InputSourceItem& player, int index,
                       const std::shared_ptr<IMeta>& meta, FrameUpdate& update);
    void drawLive(LayerFrameInfo& rec, const InputSourceItem& player, int index, const std::shared_ptr<IPlayer>& live,
                  FrameUpdate& update);
    void catchUpSilent(LayerFrameInfo& rec, const InputSourceItem& player, int index, bool layoutChanged);
    void drawWithFrame(LayerFrameInfo& rec, const InputSourceItem& player, int index, IFrame* frame,
                       const FrameUpdate& update);

    // Each placement to the layout manager, and the frame data tap (frametap.cpp).
    void renderFrame(LayerFrameInfo& rec, const InputSourceItem& player, int index);
    void renderScaleCatch(LayerFrameInfo& rec, const InputSourceItem& player, int index, bool isStatic);
    void reUpdateEcho(LayerFrameInfo& rec, const InputSourceItem& player, int index);
    bool isUpdateFrame(const InputSourceItem& player) const;
    bool shouldTapFrameData(bool tapEnabled, uint64_t layerId) const;
    static void getFitWidthAndHeight(const IFrame* frame, uint32_t& width, uint32_t& height);
    void updateLayer(const LayerFrameInfo& rec);
    void reportMasterFrameTime(const LayerFrameInfo& rec);
    void makeTapFrame(LayerFrameInfo& rec, const InputSourceItem& player, PlayerDrawState& state);
    void echoTapFrame(LayerFrameInfo& rec, const InputSourceItem& player, PlayerDrawState& state);
    bool fitTapSize(const LayerFrameInfo& rec, PlayerDrawState& state, uint32_t& width, uint32_t& height) const;
    void advanceSkipCounter(PlayerDrawState& state) const;
    // Calls the pass's tap, holding a reference of its own for the call: a tap that
    // clears the tap drops the pass's copy while it runs.
    void callTap(const MediaInfo& info, const IFrame* frame);

    // Outputs, vertical blank and the output-side setters (output.cpp).
    void updateOutputTexture();
    void waitForVBlank();
    bool queryLayerSizes(IMediaOutputLayoutMgr& layoutMgr);
    void lookupLayerSize(uint64_t layerId, uint32_t layerNumber, uint32_t& width, uint32_t& height) const;
    void setRenderFacade(std::weak_ptr<IRenderFacade> facade);
    void disconnectFacade();
    void setOutPutLayoutMgr(std::weak_ptr<IMediaOutputLayoutMgr> mgr);
    void setPhysicsOutputMgr(std::weak_ptr<IPhysicsOutputMgr> mgr);
    void setZQRuntime(tarsel::IZQRuntime* runtime);
    void unsetZQRuntime();
    void onRpcClientConnected(void* argument);
    void onRpcClientDisconnect(void* argument);
    void onVBlankUnavailable();

    // Services (renderctrl.cpp).
    Services services() const;
    template <class Change>
    void changeServices(Change&& change) {
        std::lock_guard lock(_servicesMutex);
        change(_services);
    }
    void setFrameDataCallBack(const FrameDataCallBack& callback);

    mutable std::mutex _servicesMutex;
    Services _services;
    Services _pass;

    std::mutex _threadMutex;
    std::unique_ptr<std::thread> _thread;
    // Held for each draw pass, whichever thread drives it.
    std::mutex _passMutex;
    // Whether a pass runs and how many teardowns its thread is in; clearing the tap
    // waits on them.
    std::mutex _passStateMutex;
    std::condition_variable _passStateChanged;
    bool _passActive = false;
    int _passTeardowns = 0;
    std::atomic<bool> _running{true};
    std::atomic<bool> _frameDataSwitch{true};
    std::atomic<int32_t> _frameSyncCheckLayerIndex{-1};
    std::atomic<bool> _linkState{false};
    std::string _cardName;
    std::atomic<bool> _frameSyncFlag{false};
    std::atomic<bool> _editConnected{true};

    // Frame-rate accounting, in wall-clock seconds.
    int64_t _lastFpsLogTime;
    int64_t _fpsSecond;
    uint64_t _fps = 0;
    uint64_t _fpsCount = 0;

    // Statistics of the current pass, in milliseconds.
    uint64_t getPlayersTime = 0;
    uint64_t orgthumbnailTime = 0;
    uint64_t renderFrameTime = 0;
    uint64_t updateFrameDataTime = 0;
    uint64_t mediaDataScaleTime = 0;

    uint64_t jumpScaleFrameCnt = 0;
    int64_t _jumpScaleStamp = 0;
    std::atomic<double> _getFrameTime{0.0};
    std::vector<PlayerDrawState> _playerStates;
    std::list<OutputLayerSize> _layerSizes;
    std::map<uint64_t, uint64_t> _outputTextures;
    std::atomic<bool> _vblankUnavailable{false};
    bool _minSizeExempt = true;
    std::atomic<double> _lastGetFrameTime{0.0};
    std::atomic<double> _lastFrameTime{0.0};

    // Held by the pass thread only: the services locked for the current frame update,
    // and the thumbnail frames drawn in this pass, kept until the pass has ended.
    Locked _locked;
    std::vector<std::shared_ptr<IFrame>> _passFrames;
};

}  // namespace qorva::mediadispatch
