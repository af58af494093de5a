// A dispatch's editing events, relayed to the output layout manager (and layout fades
// to the output manager). Each handler holds its service for the whole call.
#include "common/log.h"
#include "renderctrlmgr/renderctrlmgr_impl.h"

namespace qorva::mediadispatch {

namespace {

// The two layouts that every output keeps, in front of and behind the others.
constexpr uint64_t kFixedFrontLayoutId = 1;
constexpr uint64_t kFixedBackLayoutId = 2;
constexpr DispatchType kFixedLayoutType{0};
// The index arguments of addLayout and findLayout, the host's values.
constexpr int32_t kAddLayoutIndex = -1;
constexpr int32_t kFindLayoutIndex = 0;
// The host's flags for a rename that comes from the editing side.
constexpr uint32_t kEditorRenameFlags = 0x1000;

}  // namespace

void RenderCtrlMgr::Impl::onLayerAdded(const std::vector<uint64_t>& ids, uint64_t id, const std::string& name,
                                       const std::string& /*extra*/) {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_ERR("layoutMgr is null");
        return;
    }
    layout->addLayer(ids, id, name);
}

void RenderCtrlMgr::Impl::onLayerRemove(const std::vector<uint64_t>& ids, const std::vector<uint64_t>& items,
                                        bool flag) {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_ERR("layoutMgr is null");
        return;
    }
    for (const uint64_t item : items) layout->removeLayer(ids, item, flag);
}

void RenderCtrlMgr::Impl::onLayerAdded(const std::vector<uint64_t>& ids, uint64_t id, const std::string& name,
                                       uint64_t /*number*/) {
    onLayerAdded(ids, id, name, std::string());
}

void RenderCtrlMgr::Impl::onLayerNameChanged(uint64_t id, const std::string& name) {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_ERR("layoutMgr is null");
        return;
    }
    layout->setLayerName(0, id, name);
}

void RenderCtrlMgr::Impl::onMediasAdded(const std::vector<MediaInfo>& medias) {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    layout->addMedias(medias);
}

void RenderCtrlMgr::Impl::onMediasReplaced(uint64_t id, EditingMode mode) {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    layout->replaceMedias(id, mode);
}

void RenderCtrlMgr::Impl::onMediaAboutToBeRemoved(uint64_t a, uint64_t b, EditingMode mode) {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null.");
        return;
    }
    layout->removeMedia(a, b, mode);
}

void RenderCtrlMgr::Impl::onMediaVisibleChanged(uint64_t layoutId, uint64_t layerId, uint64_t mediaId, bool visible,
                                                EditingMode mode, int32_t value) {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null.");
        return;
    }
    if (visible) {
        QRC_INFO("render setLayerSource: layoutId:{},layerId:{},mediaId:{}", layoutId, layerId, mediaId);
        layout->setLayerSource(layoutId, layerId, mediaId, mode, value);
    } else {
        QRC_INFO("render restoreLayerSource: layoutId:{},layerId:{},mediaId:{}", layoutId, layerId, mediaId);
        layout->restoreLayerSource(layoutId, layerId, mediaId, mode);
    }
}

void RenderCtrlMgr::Impl::onMediaLayerChanged(uint64_t mediaId, uint64_t layerId, EditingMode mode) {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    layout->setMediaLayerId(mediaId, layerId, mode);
    QRC_INFO("render setMediaLayerId: mediaId:{},layerId:{}", mediaId, layerId);
}

// A fade is shown by client nodes only. Without a runtime the node's mode is unknown,
// so the event is dropped as silently as on a node that is not a client.
void RenderCtrlMgr::Impl::onMediaFadeToggled(const STDispatchMediaFadeInfo& info) {
    if (!info.fade) return;
    tarsel::IZQRuntime* runtime = _zqRuntime;
    if (!runtime || !runtime->isClientMode()) return;
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    layout->toggleMediaFade(info.info);
}

void RenderCtrlMgr::Impl::onMediaReleased(const std::vector<MediaInfo>& medias) {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    layout->releaseMedias(medias);
}

void RenderCtrlMgr::Impl::onMediaForceUpdate(uint64_t id, EditingMode mode, bool flag) {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    layout->forceUpdateMedia(id, mode, flag);
}

// Both fixed layouts are created again when either is missing.
void RenderCtrlMgr::Impl::onLayoutAdded(DispatchType type, uint64_t layoutId, const std::string& name) {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    layout->addLayout(layoutId, name, kAddLayoutIndex, type);
    const bool frontPresent = layout->findLayout(kFixedFrontLayoutId, kFindLayoutIndex).lock() != nullptr;
    const bool backPresent = layout->findLayout(kFixedBackLayoutId, kFindLayoutIndex).lock() != nullptr;
    if (frontPresent && backPresent) return;
    layout->addLayout(kFixedFrontLayoutId, "fixedFrontLayout", kAddLayoutIndex, kFixedLayoutType);
    layout->addLayout(kFixedBackLayoutId, "fixedBackLayout", kAddLayoutIndex, kFixedLayoutType);
}

void RenderCtrlMgr::Impl::onLayoutAboutToBeDeleted(DispatchType type, uint64_t layoutId) {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    layout->deleteLayout(layoutId, type);
}

void RenderCtrlMgr::Impl::onLayoutKeepChanged(bool keep) {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    layout->setLayoutKeep(keep);
}

void RenderCtrlMgr::Impl::onLayoutVisibleChanged(DispatchType type, uint64_t layoutId, bool visible, EditingMode mode) {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    if (visible) {
        QRC_INFO("render loadLayout id:{}", layoutId);
        layout->loadLayout(layoutId, type, mode);
    } else {
        QRC_INFO("render unLoadLayout id:{}", layoutId);
        layout->unLoadLayout(layoutId, type, mode);
    }
}

void RenderCtrlMgr::Impl::onMediaColorPropertyChanged(
    uint64_t /*id*/, const std::vector<std::pair<uint64_t, tarsel::ColorProperty>>& colors, const EditingMode& mode) {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    layout->setMediaColorProperty(colors, mode);
}

void RenderCtrlMgr::Impl::onMediaBorderPropertyChanged(uint64_t /*id*/, const std::vector<uint64_t>& ids,
                                                       const tarsel::BorderProperty& border, const EditingMode& mode) {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    layout->setMediaBorderProperty(ids, border, mode);
}

void RenderCtrlMgr::Impl::onMediaPickPropertyChanged(uint64_t /*id*/, const std::vector<uint64_t>& ids,
                                                     const tarsel::PickProperty& pick, const EditingMode& mode) {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    layout->setMediaPickProperty(ids, pick, mode);
}

void RenderCtrlMgr::Impl::onMediaEffectPropertyChanged(uint64_t /*id*/, const std::vector<uint64_t>& ids,
                                                       const tarsel::EffectType& type,
                                                       const tarsel::EffectProperty& effect, const EditingMode& mode) {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    layout->setMediaEffectProperty(ids, type, effect, mode);
}

void RenderCtrlMgr::Impl::onAllLayoutPropertySet(uint64_t id, bool flag, EditingMode mode) {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    layout->setAllLayoutProperty(id, flag, mode, false);
}

void RenderCtrlMgr::Impl::onLayoutPropertyset(uint64_t a, uint64_t b, EditingMode mode) {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    layout->setLayoutProperty(a, b, mode);
}

void RenderCtrlMgr::Impl::changeLayoutName(uint64_t /*first*/, uint64_t layoutId, const std::string& name) {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    layout->changeLayoutName(layoutId, name, kEditorRenameFlags);
}

void RenderCtrlMgr::Impl::onCreateLayoutCopy(uint64_t a, uint64_t b, const std::string& name, EditingMode mode) {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    layout->createLayoutCopy(a, b, name, mode);
}

void RenderCtrlMgr::Impl::onChangeLayoutLock(uint64_t a, uint64_t /*second*/, bool lock, EditingMode mode) {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    layout->changeLayoutLock(a, lock, mode);
}

void RenderCtrlMgr::Impl::onClearMediaOutput() {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    layout->clearMediaOutput();
}

void RenderCtrlMgr::Impl::onSyncPreeditDatas(uint64_t id) {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    layout->syncPreeditDatas(id);
}

// The server node does not follow the editor's layer selection.
void RenderCtrlMgr::Impl::onLayerSelected(uint64_t a, uint64_t b) {
    tarsel::IZQRuntime* runtime = _zqRuntime;
    if (!runtime) {
        QRC_WARN("_zqRuntime is null");
        return;
    }
    if (runtime->isServerMode()) return;
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    layout->selectLayer(a, b);
}

void RenderCtrlMgr::Impl::resetLayoutKeep() {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    layout->resetLayoutKeep();
}

void RenderCtrlMgr::Impl::onLoadPreviewLayout() {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    layout->loadPreviewLayout();
}

void RenderCtrlMgr::Impl::onLayoutStartFade(const LayoutStartFadeParam& param) {
    IOutputMgr* outputMgr = _outputMgr;
    if (!outputMgr) {
        QRC_WARN("_outputMgr is null");
        return;
    }
    outputMgr->startLayoutFade(param);
}

void RenderCtrlMgr::Impl::onLayoutStopFade(uint64_t id) {
    IOutputMgr* outputMgr = _outputMgr;
    if (!outputMgr) {
        QRC_WARN("_outputMgr is null");
        return;
    }
    outputMgr->stopLayoutFade(id);
}

void RenderCtrlMgr::Impl::onMediaPlayStateChanged(const STMediaPlayStateInfo& info) {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    layout->setMediaPlayState(info, info.state);
}

}  // namespace qorva::mediadispatch
