#pragma once
// The media dispatch manager, its dispatches and the program dispatch.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <sigslot/signal.hpp>

#include "qorvahost/export.h"
#include "qorvahost/imediaoutputlayoutmgr.h"
#include "qorvahost/qorvatypes.h"
#include "qorvahost/tarseltypes.h"

namespace qorva::mediadispatch {

using qorva::mediaoutput::LayoutAttribute;

class QORVAHOST_INTERFACE IDispatch {
public:
    virtual ~IDispatch() = default;

    virtual void setLayoutPropertyCallback(std::function<std::vector<LayoutAttribute>()> callback) = 0;
    virtual void setPatchSelectStatusCallback(std::function<bool()> callback) = 0;

    // Editing events, in the order the render control manager connects them.
    sigslot::signal<const std::vector<uint64_t>&, uint64_t, const std::string&, const std::string&> sigLayerAdded;
    sigslot::signal<const std::vector<uint64_t>&, const std::vector<uint64_t>&, bool> sigLayerRemove;
    sigslot::signal<const std::vector<uint64_t>&, uint64_t, const std::string&, uint64_t> sigLayerAddedWithNumber;
    sigslot::signal<uint64_t, const std::string&> sigLayerNameChanged;
    sigslot::signal<const std::vector<MediaInfo>&> sigMediasAdded;
    sigslot::signal<uint64_t, tarsel::EditingMode> sigMediasReplaced;
    sigslot::signal<uint64_t, uint64_t, tarsel::EditingMode> sigMediaAboutToBeRemoved;
    sigslot::signal<uint64_t, uint64_t, uint64_t, bool, tarsel::EditingMode, int32_t> sigMediaVisibleChanged;
    sigslot::signal<uint64_t, uint64_t, tarsel::EditingMode> sigMediaLayerChanged;
    sigslot::signal<const STDispatchMediaFadeInfo&> sigMediaFadeToggled;
    sigslot::signal<const std::vector<MediaInfo>&> sigMediaReleased;
    sigslot::signal<uint64_t, tarsel::EditingMode, bool> sigMediaForceUpdate;
    sigslot::signal<DispatchType, uint64_t, const std::string&> sigLayoutAdded;
    sigslot::signal<DispatchType, uint64_t> sigLayoutAboutToBeDeleted;
    sigslot::signal<bool> sigLayoutKeepChanged;
    sigslot::signal<DispatchType, uint64_t, bool, tarsel::EditingMode> sigLayoutVisibleChanged;
    sigslot::signal<uint64_t, const std::vector<std::pair<uint64_t, tarsel::ColorProperty>>&,
                    const tarsel::EditingMode&>
        sigMediaColorPropertyChanged;
    sigslot::signal<uint64_t, const std::vector<uint64_t>&, const tarsel::BorderProperty&, const tarsel::EditingMode&>
        sigMediaBorderPropertyChanged;
    sigslot::signal<uint64_t, const std::vector<uint64_t>&, const tarsel::PickProperty&, const tarsel::EditingMode&>
        sigMediaPickPropertyChanged;
    sigslot::signal<uint64_t, const std::vector<uint64_t>&, const tarsel::EffectType&, const tarsel::EffectProperty&,
                    const tarsel::EditingMode&>
        sigMediaEffectPropertyChanged;
    sigslot::signal<uint64_t, bool, tarsel::EditingMode> sigAllLayoutPropertySet;
    sigslot::signal<uint64_t, uint64_t, tarsel::EditingMode> sigLayoutPropertyset;
    sigslot::signal<uint64_t, uint64_t, const std::string&> sigChangeLayoutName;
    sigslot::signal<uint64_t, uint64_t, const std::string&, tarsel::EditingMode> sigCreateLayoutCopy;
    sigslot::signal<uint64_t, uint64_t, bool, tarsel::EditingMode> sigChangeLayoutLock;
    sigslot::signal<> sigClearMediaOutput;
    sigslot::signal<uint64_t> sigSyncPreeditDatas;
    sigslot::signal<uint64_t, uint64_t> sigLayerSelected;
    sigslot::signal<> sigResetLayoutKeep;
    sigslot::signal<> sigLoadPreviewLayout;
    sigslot::signal<const LayoutStartFadeParam&> sigLayoutStartFade;
    sigslot::signal<uint64_t> sigLayoutStopFade;
    sigslot::signal<const STMediaPlayStateInfo&> sigMediaPlayStateChanged;
};

class QORVAHOST_INTERFACE ITimelineDispatch : public IDispatch {
public:
    virtual void deleteSelectedOutputPatch(const std::vector<uint64_t>& ids) = 0;
    virtual void isSelectedOutputPatchHasMedia(const std::vector<uint64_t>& ids, bool& out) = 0;
};

class QORVAHOST_INTERFACE IMediaDispatchMgr {
public:
    virtual ~IMediaDispatchMgr() = default;

    virtual std::vector<std::weak_ptr<IDispatch>> getDispatches() = 0;
    virtual void takeCut(bool a, bool b) = 0;
    virtual void outputDelMedias(const std::vector<MediaInfo>& medias, bool flag) = 0;
    virtual void outputAddMedias(const std::vector<MediaInfo>& medias) = 0;
    virtual uint64_t getCurrentLayoutUsableLayer() = 0;
    virtual void fillRenderCtrlMgrCallBackCommon(RenderCtrlMgrCallBackCommon& record) = 0;
    virtual bool getLayerLockState(uint64_t layerId) = 0;
    virtual void setLayoutName(uint64_t layoutId, const std::string& name) = 0;
    virtual void setLayoutLocked(uint64_t layoutId, bool locked) = 0;
    virtual void getCheckLayerName(std::string& out, int32_t index, uint64_t layerId, uint32_t layerNumber) = 0;

    sigslot::signal<std::weak_ptr<IDispatch>> sigDispatchAdded;
    sigslot::signal<std::weak_ptr<IDispatch>> sigDispatchRemoved;
};

class QORVAHOST_INTERFACE IProgramDispatch {
public:
    virtual ~IProgramDispatch() = default;
    virtual int getDispatchState(int id) = 0;
    virtual void dispatchResyncSecond(int id, double time) = 0;
    virtual void dispatchResyncFirst(int id, double time) = 0;
};

}  // namespace qorva::mediadispatch
