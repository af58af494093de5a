#pragma once
// An output layout manager and render view that record the calls they receive.
#include <atomic>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "qorvahost/imediaoutputlayoutmgr.h"
#include "qorvasim/calllog.h"
#include "qorvasim/timing.h"

namespace qorva::sim {

using qorva::mediaoutput::LayerFrameInfo;
using qorva::mediaoutput::OutputLayerSize;

class SimRenderView : public qorva::mediaoutput::IRenderView {
public:
    void setCurrentLayoutUsableLayerCallback(const std::function<uint64_t()>& callback) override;
    void setRenderCtrlMgrCallBackCommon(
        const std::function<RenderCtrlMgrCallBackCommon(RenderCtrlMgrCallBackType)>& callback) override;
    void setLayerLockStateCallback(const std::function<bool(uint64_t)>& callback) override;
    std::vector<std::shared_ptr<qorva::mediaoutput::IOutputPatch>> getSelectedPatches() override;

    void setSelectedPatchCount(size_t count) { _selectedPatches = count; }
    std::function<uint64_t()> usableLayerCallback() const;
    std::function<bool(uint64_t)> layerLockStateCallback() const;
    std::function<RenderCtrlMgrCallBackCommon(RenderCtrlMgrCallBackType)> callBackCommon() const;
    CallLog& calls() { return _calls; }

private:
    mutable std::mutex _mutex;
    std::function<uint64_t()> _usableLayer;
    std::function<bool(uint64_t)> _lockState;
    std::function<RenderCtrlMgrCallBackCommon(RenderCtrlMgrCallBackType)> _common;
    std::atomic<size_t> _selectedPatches{0};
    CallLog _calls;
};

class SimLayoutMgr : public qorva::mediaoutput::IMediaOutputLayoutMgr {
public:
    using EditingMode = tarsel::EditingMode;

    SimLayoutMgr();

    void clearMediaOutput() override;
    std::weak_ptr<qorva::mediaoutput::IOutputLayout> addLayout(uint64_t layoutId, const std::string& name,
                                                               int32_t index, DispatchType type) override;
    std::weak_ptr<qorva::mediaoutput::IOutputLayout> findLayout(uint64_t layoutId, int32_t index) override;
    std::vector<qorva::mediaoutput::LayoutAttribute> getLayoutAttributes() override;
    void deleteLayout(uint64_t layoutId, DispatchType type) override;
    void setLayoutKeep(bool keep) override;
    void loadLayout(uint64_t layoutId, DispatchType type, EditingMode mode) override;
    void unLoadLayout(uint64_t layoutId, DispatchType type, EditingMode mode) override;
    void changeLayoutName(uint64_t layoutId, const std::string& name, uint32_t flags) override;
    void setAllLayoutProperty(uint64_t id, bool flag, EditingMode mode, bool extra) override;
    void setLayoutProperty(uint64_t a, uint64_t b, EditingMode mode) override;
    void createLayoutCopy(uint64_t a, uint64_t b, const std::string& name, EditingMode mode) override;
    void changeLayoutLock(uint64_t layoutId, bool lock, EditingMode mode) override;
    void addLayer(const std::vector<uint64_t>& ids, uint64_t id, const std::string& name) override;
    void removeLayer(const std::vector<uint64_t>& ids, uint64_t item, bool flag) override;
    void setLayerSource(uint64_t layoutId, uint64_t layerId, uint64_t mediaId, EditingMode mode,
                        int32_t value) override;
    void restoreLayerSource(uint64_t layoutId, uint64_t layerId, uint64_t mediaId, EditingMode mode) override;
    void setMediaLayerId(uint64_t mediaId, uint64_t layerId, EditingMode mode) override;
    void setLayerName(uint64_t first, uint64_t id, const std::string& name) override;
    void addMedias(const std::vector<MediaInfo>& medias) override;
    void replaceMedias(uint64_t id, EditingMode mode) override;
    void removeMedia(uint64_t a, uint64_t b, EditingMode mode) override;
    void setMediaVisible(uint64_t mediaId, bool visible, uint32_t flags) override;
    void setMediaColorProperty(const std::vector<std::pair<uint64_t, tarsel::ColorProperty>>& colors,
                               const EditingMode& mode) override;
    void setMediaDisplayCards(uint64_t id, const std::vector<std::string>& cards, const EditingMode& mode) override;
    void setMediaBorderProperty(const std::vector<uint64_t>& ids, const tarsel::BorderProperty& border,
                                const EditingMode& mode) override;
    void setMediaPickProperty(const std::vector<uint64_t>& ids, const tarsel::PickProperty& pick,
                              const EditingMode& mode) override;
    void setMediaEffectProperty(const std::vector<uint64_t>& ids, const tarsel::EffectType& type,
                                const tarsel::EffectProperty& effect, const EditingMode& mode) override;
    void toggleMediaFade(const STMediaFadeInfo& fade) override;
    void updateLayerFrame(const LayerFrameInfo& info) override;
    void releaseMedias(const std::vector<MediaInfo>& medias) override;
    void forceUpdateMedia(uint64_t id, EditingMode mode, bool flag) override;
    void syncPreeditDatas(uint64_t id) override;
    void setCurrentLayoutUsableLayerCallback(const std::function<uint64_t()>& callback) override;
    void setLayerLockStateCallback(const std::function<bool(uint64_t)>& callback) override;
    std::weak_ptr<qorva::mediaoutput::IRenderView> getRenderView() override;
    void setMediaPlayState(const STMediaPlayStateInfo& info, int32_t state) override;
    void selectLayer(uint64_t a, uint64_t b) override;
    void resetLayoutKeep() override;
    void loadPreviewLayout() override;
    void getOutputLayerSizes(std::list<OutputLayerSize>& out, const std::string& cardName, bool* changed,
                             bool* minSizeExempt) override;

    // The answer of getOutputLayerSizes for a card; reported as changed once.
    void setLayerSizes(const std::string& cardName, std::list<OutputLayerSize> sizes, bool minSizeExempt = true);
    void setRenderView(std::shared_ptr<SimRenderView> view);
    std::shared_ptr<SimRenderView> renderView() const;
    // Reports the pass calls to `recorder` (borrowed; null stops it): a card's layer
    // size query is the first host call of its pass.
    void setTimingRecorder(TimingRecorder* recorder) { _timing = recorder; }
    // Record updateLayerFrame in calls() too (off by default: the draw path is hot).
    void setRecordFrames(bool on) { _recordFrames = on; }
    // getOutputLayerSizes calls for a card: a render pass with its services makes one.
    uint64_t layerSizeQueries(const std::string& cardName) const;
    // The syncValue of the last frame record handed in for a layer (0 before any).
    uint32_t lastSyncValue(uint64_t layerId) const;
    // updateLayerFrame calls per layer id.
    std::map<uint64_t, uint64_t> framesPerLayer() const;
    std::function<uint64_t()> usableLayerCallback() const;
    std::function<bool(uint64_t)> layerLockStateCallback() const;
    CallLog& calls() { return _calls; }

private:
    struct CardSizes {
        std::list<OutputLayerSize> sizes;
        bool exempt = true;
        bool pending = false;
    };

    mutable std::mutex _mutex;
    CallLog _calls;
    std::atomic<bool> _recordFrames{false};
    std::atomic<TimingRecorder*> _timing{nullptr};
    std::map<uint64_t, std::shared_ptr<qorva::mediaoutput::IOutputLayout>> _layouts;
    std::map<std::string, CardSizes> _sizes;
    std::map<std::string, uint64_t> _sizeQueries;
    std::map<uint64_t, uint64_t> _framesPerLayer;
    std::map<uint64_t, uint32_t> _syncValues;
    std::shared_ptr<SimRenderView> _renderView;
    std::function<uint64_t()> _usableLayer;
    std::function<bool(uint64_t)> _lockState;
};

}  // namespace qorva::sim
