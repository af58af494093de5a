#pragma once
// The output layout manager and the render view it hands out.
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <sigslot/signal.hpp>

#include "qorvahost/export.h"
#include "qorvahost/irenderfacade.h"
#include "qorvahost/qorvatypes.h"
#include "qorvahost/tarseltypes.h"

namespace qorva::mediaoutput {

struct LayoutAttribute {
    uint64_t layoutId = 0;
    bool locked = false;
    bool visible = false;
};

// Output size of one layer of a card.
struct OutputLayerSize {
    uint64_t layerId = 0;
    uint32_t layerNumber = 0;
    uint32_t width = 0;
    uint32_t height = 0;
};

class QORVAHOST_INTERFACE IOutputLayout {
public:
    virtual ~IOutputLayout() = default;
    virtual uint64_t id() const = 0;
};

class QORVAHOST_INTERFACE IOutputPatch {
public:
    virtual ~IOutputPatch() = default;
};

class QORVAHOST_INTERFACE IRenderView {
public:
    virtual ~IRenderView() = default;

    virtual void setCurrentLayoutUsableLayerCallback(const std::function<uint64_t()>& callback) = 0;
    virtual void setRenderCtrlMgrCallBackCommon(
        const std::function<RenderCtrlMgrCallBackCommon(RenderCtrlMgrCallBackType)>& callback) = 0;
    virtual void setLayerLockStateCallback(const std::function<bool(uint64_t)>& callback) = 0;
    virtual std::vector<std::shared_ptr<IOutputPatch>> getSelectedPatches() = 0;

    sigslot::signal<const std::vector<MediaInfo>&> sigOutputAddMedias;
    sigslot::signal<const std::vector<MediaInfo>&, bool> sigOutputDelMedias;
    sigslot::signal<const std::vector<uint64_t>&> sigDeleteSelectedOutputPatch;
    sigslot::signal<const std::vector<uint64_t>&, bool&> sigIsSelectedOutputPatchHasMedia;
};

class QORVAHOST_INTERFACE IMediaOutputLayoutMgr {
public:
    virtual ~IMediaOutputLayoutMgr() = default;

    virtual void clearMediaOutput() = 0;
    virtual std::weak_ptr<IOutputLayout> addLayout(uint64_t layoutId, const std::string& name, int32_t index,
                                                   DispatchType type) = 0;
    virtual std::weak_ptr<IOutputLayout> findLayout(uint64_t layoutId, int32_t index) = 0;
    virtual std::vector<LayoutAttribute> getLayoutAttributes() = 0;
    virtual void deleteLayout(uint64_t layoutId, DispatchType type) = 0;
    virtual void setLayoutKeep(bool keep) = 0;
    virtual void loadLayout(uint64_t layoutId, DispatchType type, tarsel::EditingMode mode) = 0;
    virtual void unLoadLayout(uint64_t layoutId, DispatchType type, tarsel::EditingMode mode) = 0;
    virtual void changeLayoutName(uint64_t layoutId, const std::string& name, uint32_t flags) = 0;
    virtual void setAllLayoutProperty(uint64_t id, bool flag, tarsel::EditingMode mode, bool extra) = 0;
    virtual void setLayoutProperty(uint64_t a, uint64_t b, tarsel::EditingMode mode) = 0;
    virtual void createLayoutCopy(uint64_t a, uint64_t b, const std::string& name, tarsel::EditingMode mode) = 0;
    virtual void changeLayoutLock(uint64_t layoutId, bool lock, tarsel::EditingMode mode) = 0;
    virtual void addLayer(const std::vector<uint64_t>& ids, uint64_t id, const std::string& name) = 0;
    virtual void removeLayer(const std::vector<uint64_t>& ids, uint64_t item, bool flag) = 0;
    virtual void setLayerSource(uint64_t layoutId, uint64_t layerId, uint64_t mediaId, tarsel::EditingMode mode,
                                int32_t value) = 0;
    virtual void restoreLayerSource(uint64_t layoutId, uint64_t layerId, uint64_t mediaId,
                                    tarsel::EditingMode mode) = 0;
    virtual void setMediaLayerId(uint64_t mediaId, uint64_t layerId, tarsel::EditingMode mode) = 0;
    virtual void setLayerName(uint64_t first, uint64_t id, const std::string& name) = 0;
    virtual void addMedias(const std::vector<MediaInfo>& medias) = 0;
    virtual void replaceMedias(uint64_t id, tarsel::EditingMode mode) = 0;
    virtual void removeMedia(uint64_t a, uint64_t b, tarsel::EditingMode mode) = 0;
    virtual void setMediaVisible(uint64_t mediaId, bool visible, uint32_t flags) = 0;
    virtual void setMediaColorProperty(const std::vector<std::pair<uint64_t, tarsel::ColorProperty>>& colors,
                                       const tarsel::EditingMode& mode) = 0;
    virtual void setMediaDisplayCards(uint64_t id, const std::vector<std::string>& cards,
                                      const tarsel::EditingMode& mode) = 0;
    virtual void setMediaBorderProperty(const std::vector<uint64_t>& ids, const tarsel::BorderProperty& border,
                                        const tarsel::EditingMode& mode) = 0;
    virtual void setMediaPickProperty(const std::vector<uint64_t>& ids, const tarsel::PickProperty& pick,
                                      const tarsel::EditingMode& mode) = 0;
    virtual void setMediaEffectProperty(const std::vector<uint64_t>& ids, const tarsel::EffectType& type,
                                        const tarsel::EffectProperty& effect, const tarsel::EditingMode& mode) = 0;
    virtual void toggleMediaFade(const STMediaFadeInfo& fade) = 0;
    virtual void updateLayerFrame(const LayerFrameInfo& info) = 0;
    virtual void releaseMedias(const std::vector<MediaInfo>& medias) = 0;
    virtual void forceUpdateMedia(uint64_t id, tarsel::EditingMode mode, bool flag) = 0;
    virtual void syncPreeditDatas(uint64_t id) = 0;
    virtual void setCurrentLayoutUsableLayerCallback(const std::function<uint64_t()>& callback) = 0;
    virtual void setLayerLockStateCallback(const std::function<bool(uint64_t)>& callback) = 0;
    virtual std::weak_ptr<IRenderView> getRenderView() = 0;
    virtual void setMediaPlayState(const STMediaPlayStateInfo& info, int32_t state) = 0;
    virtual void selectLayer(uint64_t a, uint64_t b) = 0;
    virtual void resetLayoutKeep() = 0;
    virtual void loadPreviewLayout() = 0;
    virtual void getOutputLayerSizes(std::list<OutputLayerSize>& out, const std::string& cardName, bool* changed,
                                     bool* minSizeExempt) = 0;

    sigslot::signal<uint64_t, const std::string&> sigLayoutNameChanged;
    sigslot::signal<uint64_t, const std::string&> sigLayerAdded;
    sigslot::signal<bool, bool> sigTakeCutTriggered;
    sigslot::signal<uint64_t, bool> sigLayoutLockedChanged;
    sigslot::signal<const std::multimap<uint64_t, tarsel::EditingMode>&> sigNotifyMediaUpdateDisplayCards;
};

}  // namespace qorva::mediaoutput
