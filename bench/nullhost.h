#pragma once
// Host doubles whose calls do nothing, so that a benchmark times the library's own
// work. Players still hand out a frame and the scaler still attaches a picture: a pass
// over this host takes every step it takes over a real one.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "qorvahost.h"

namespace qrc::bench {

using qorva::MediaInfo;
using qorva::mediaoutput::LayerFrameInfo;
using tarsel::EditingMode;
using zq::mediacore::IFrame;

class NullMeta : public zq::mediacore::IMeta {
public:
    std::string getId() const override { return {}; }
    std::string getUrl() const override { return {}; }
    int32_t getSourceType() const override { return 0; }
    std::shared_ptr<IFrame> getCurrentFrame() override { return nullptr; }
    std::shared_ptr<IFrame> getOrgThumbFrame() override { return nullptr; }
    void destroyOrgThumbnail() override {}
};

// Hands out the same full-HD frame on every call.
class NullPlayer : public tarsel::IPlayer {
public:
    NullPlayer();
    std::shared_ptr<zq::mediacore::IMeta> getMeta() override { return _meta; }
    IFrame* getFrame(double /*clock*/) override { return &_frame; }
    void frameConsumed() override {}

private:
    std::shared_ptr<NullMeta> _meta = std::make_shared<NullMeta>();
    IFrame _frame;
};

class NullMediaMgr : public tarsel::IMediaMgr {
public:
    void getInputSources(std::vector<tarsel::InputSourceItem>& out, const std::string&, bool) override { out = items; }
    void notifyMediaUpdateDisplayCards(const std::multimap<uint64_t, EditingMode>&) override {}
    void setFrameSync(IFrameSync*) override {}
    void* getFrameSyncCodexCtx() override { return nullptr; }
    void mediaMgrDetached() override {}
    void notifyMasterRole(bool) override {}
    void setMasterFrameTime(const std::string&, double) override {}

    std::vector<tarsel::InputSourceItem> items;
};

// Scaling attaches a ready-made picture to the target, so that a tap is delivered.
class NullRenderFacade : public qorva::mediaoutput::IRenderFacade {
public:
    void render() override {}
    void scaleLayerFrame(LayerFrameInfo&, IFrame* target, uint32_t, uint32_t, const std::string&, bool) override {
        target->attachPicture(_picture);
    }
    void catchLayerFrame(LayerFrameInfo&) override {}
    void endFrame() override {}
    void scaleInputFrame(LayerFrameInfo&, IFrame*, int32_t, int32_t, const std::string&) override {}
    void endInputPass() override {}
    void beginInputPass() override {}
    void waitForVBlank() override {}
    void setInputMediaActive(uint64_t, bool) override {}
    void getDisplayCards(std::vector<qorva::mediaoutput::DisplayCardInfo>&) override {}
    void getCardRenderFacade(std::weak_ptr<IRenderFacade>&, const qorva::mediaoutput::DisplayCardInfo&) override {}
    void getOutputTextures(const std::string&, std::map<uint64_t, uint64_t>& out) override { out = textures; }

    std::map<uint64_t, uint64_t> textures{{1, 11}, {2, 12}};

private:
    std::shared_ptr<zq::mediacore::STAVFrame> _picture = std::make_shared<zq::mediacore::STAVFrame>();
};

class NullLayoutMgr : public qorva::mediaoutput::IMediaOutputLayoutMgr {
public:
    using DispatchType = qorva::DispatchType;
    using OutputLayout = std::weak_ptr<qorva::mediaoutput::IOutputLayout>;

    void clearMediaOutput() override {}
    OutputLayout addLayout(uint64_t, const std::string&, int32_t, DispatchType) override { return {}; }
    OutputLayout findLayout(uint64_t, int32_t) override { return {}; }
    std::vector<qorva::mediaoutput::LayoutAttribute> getLayoutAttributes() override { return {}; }
    void deleteLayout(uint64_t, DispatchType) override {}
    void setLayoutKeep(bool) override {}
    void loadLayout(uint64_t, DispatchType, EditingMode) override {}
    void unLoadLayout(uint64_t, DispatchType, EditingMode) override {}
    void changeLayoutName(uint64_t, const std::string&, uint32_t) override {}
    void setAllLayoutProperty(uint64_t, bool, EditingMode, bool) override {}
    void setLayoutProperty(uint64_t, uint64_t, EditingMode) override {}
    void createLayoutCopy(uint64_t, uint64_t, const std::string&, EditingMode) override {}
    void changeLayoutLock(uint64_t, bool, EditingMode) override {}
    void addLayer(const std::vector<uint64_t>&, uint64_t, const std::string&) override {}
    void removeLayer(const std::vector<uint64_t>&, uint64_t, bool) override {}
    void setLayerSource(uint64_t, uint64_t, uint64_t, EditingMode, int32_t) override {}
    void restoreLayerSource(uint64_t, uint64_t, uint64_t, EditingMode) override {}
    void setMediaLayerId(uint64_t, uint64_t, EditingMode) override {}
    void setLayerName(uint64_t, uint64_t, const std::string&) override {}
    void addMedias(const std::vector<MediaInfo>&) override {}
    void replaceMedias(uint64_t, EditingMode) override {}
    void removeMedia(uint64_t, uint64_t, EditingMode) override {}
    void setMediaVisible(uint64_t, bool, uint32_t) override {}
    void setMediaColorProperty(const std::vector<std::pair<uint64_t, tarsel::ColorProperty>>&,
                               const EditingMode&) override {}
    void setMediaDisplayCards(uint64_t, const std::vector<std::string>&, const EditingMode&) override {}
    void setMediaBorderProperty(const std::vector<uint64_t>&, const tarsel::BorderProperty&,
                                const EditingMode&) override {}
    void setMediaPickProperty(const std::vector<uint64_t>&, const tarsel::PickProperty&, const EditingMode&) override {}
    void setMediaEffectProperty(const std::vector<uint64_t>&, const tarsel::EffectType&, const tarsel::EffectProperty&,
                                const EditingMode&) override {}
    void toggleMediaFade(const qorva::STMediaFadeInfo&) override {}
    void updateLayerFrame(const LayerFrameInfo&) override {}
    void releaseMedias(const std::vector<MediaInfo>&) override {}
    void forceUpdateMedia(uint64_t, EditingMode, bool) override {}
    void syncPreeditDatas(uint64_t) override {}
    void setCurrentLayoutUsableLayerCallback(const std::function<uint64_t()>&) override {}
    void setLayerLockStateCallback(const std::function<bool(uint64_t)>&) override {}
    std::weak_ptr<qorva::mediaoutput::IRenderView> getRenderView() override { return {}; }
    void setMediaPlayState(const qorva::STMediaPlayStateInfo&, int32_t) override {}
    void selectLayer(uint64_t, uint64_t) override {}
    void resetLayoutKeep() override {}
    void loadPreviewLayout() override {}
    void getOutputLayerSizes(std::list<qorva::mediaoutput::OutputLayerSize>&, const std::string&, bool*,
                             bool*) override {}
};

class NullDispatch : public qorva::mediadispatch::IDispatch {
public:
    void setLayoutPropertyCallback(std::function<std::vector<qorva::mediaoutput::LayoutAttribute>()>) override {}
    void setPatchSelectStatusCallback(std::function<bool()>) override {}
};

class NullDispatchMgr : public qorva::mediadispatch::IMediaDispatchMgr {
public:
    using Dispatches = std::vector<std::weak_ptr<qorva::mediadispatch::IDispatch>>;

    Dispatches getDispatches() override { return {}; }
    void takeCut(bool, bool) override {}
    void outputDelMedias(const std::vector<MediaInfo>&, bool) override {}
    void outputAddMedias(const std::vector<MediaInfo>&) override {}
    uint64_t getCurrentLayoutUsableLayer() override { return 0; }
    void fillRenderCtrlMgrCallBackCommon(qorva::RenderCtrlMgrCallBackCommon&) override {}
    bool getLayerLockState(uint64_t) override { return false; }
    void setLayoutName(uint64_t, const std::string&) override {}
    void setLayoutLocked(uint64_t, bool) override {}
    void getCheckLayerName(std::string&, int32_t, uint64_t, uint32_t) override {}
};

// A standalone node: neither server nor client, so nothing registers RPC handlers.
class NullRuntime : public tarsel::IZQRuntime {
public:
    void postTask(const std::function<void()>&, const char*, const char*, int) override {}
    int startTimer(int, const std::function<void(int)>&, int) override { return -1; }
    void stopTimer(int) override {}
    void registerEventHandler(const char*, const char*, const std::function<void(void*)>&, void*, int) override {}
    void unregisterEventHandler(const char*, const char*, void*) override {}
    bool isServerMode() override { return false; }
    bool isClientMode() override { return false; }
};

class NullSenderMgr : public qorva::mediaoutput::IVirtualSenderMgr {
public:
    void updateSenderTexture(uint64_t, uint64_t) override {}
};

// The doubles of one display card with `players` players of `placements` layers each.
struct NullHost {
    NullHost(int players, int placements);

    std::shared_ptr<NullRenderFacade> facade = std::make_shared<NullRenderFacade>();
    std::shared_ptr<NullLayoutMgr> layoutMgr = std::make_shared<NullLayoutMgr>();
    std::shared_ptr<NullDispatchMgr> dispatchMgr = std::make_shared<NullDispatchMgr>();
    NullMediaMgr mediaMgr;
    NullRuntime runtime;
    NullSenderMgr senderMgr;
    std::vector<std::shared_ptr<NullPlayer>> players;
};

}  // namespace qrc::bench
