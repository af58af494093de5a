// The dispatches' coming and going, and the events of the media manager, the output
// layout manager and its render view, each relayed as one call on the other side.
#include "common/log.h"
#include "renderctrlmgr/connections.h"

namespace qorva::mediadispatch {

namespace {

// The first live dispatch of the list that is a timeline dispatch, or null.
std::shared_ptr<ITimelineDispatch> firstTimelineDispatch(IMediaDispatchMgr& mgr) {
    for (const auto& entry : mgr.getDispatches()) {
        if (auto timeline = std::dynamic_pointer_cast<ITimelineDispatch>(entry.lock())) return timeline;
    }
    return nullptr;
}

}  // namespace

void RenderCtrlMgr::Impl::onDispatchAdded(std::weak_ptr<IDispatch> dispatch) {
    const auto shared = dispatch.lock();
    if (!shared) return;
    dispatchWiring.add(shared, [this](IDispatch& wired) { wireDispatch(wired); });
}

void RenderCtrlMgr::Impl::onDispatchRemoved(std::weak_ptr<IDispatch> dispatch) {
    const auto shared = dispatch.lock();
    if (!shared) return;
    dispatchWiring.remove(shared, [this](IDispatch& removed) { unwireDispatch(removed); });
}

void RenderCtrlMgr::Impl::wireDispatch(IDispatch& dispatch) {
    visitDispatchConnections(
        dispatch,
        [this](auto& signal, auto pmf, Link link) {
            if (link == Link::tracked) {
                signal.connect(pmf, shared_from_this());
            } else {
                signal.connect(pmf, this);
            }
        },
        [&] {
            dispatch.setLayoutPropertyCallback([this] { return layoutPropertyCallback(); });
            dispatch.setPatchSelectStatusCallback([this] { return patchSelectStatusCallback(); });
        });
}

void RenderCtrlMgr::Impl::unwireDispatch(IDispatch& dispatch) {
    visitDispatchConnections(
        dispatch, [this](auto& signal, auto pmf, Link) { signal.disconnect(pmf, this); },
        [&] {
            dispatch.setLayoutPropertyCallback({});
            dispatch.setPatchSelectStatusCallback({});
        });
}

// Media manager.

void RenderCtrlMgr::Impl::onMediaDisplayCardsChanged(uint64_t id, const std::vector<std::string>& cards,
                                                     const EditingMode& mode) {
    const auto layout = layoutMgr.lock();
    if (!layout) {
        QRC_WARN("layoutMgr is null");
        return;
    }
    layout->setMediaDisplayCards(id, cards, mode);
}

// Output layout manager.

void RenderCtrlMgr::Impl::onLayerAdded(uint64_t id, const std::string& name) {
    onLayerAdded(std::vector<uint64_t>(), id, name, std::string());
}

void RenderCtrlMgr::Impl::onTakeCutTriggered(bool a, bool b) {
    const auto dispatchMgr = mediaDispatchMgr.lock();
    if (!dispatchMgr) {
        QRC_ERR("mediaDispatchMgr is null");
        return;
    }
    dispatchMgr->takeCut(a, b);
}

void RenderCtrlMgr::Impl::onLayoutNameChanged(uint64_t layoutId, const std::string& name) {
    const auto dispatchMgr = mediaDispatchMgr.lock();
    if (!dispatchMgr) {
        QRC_ERR("mediaDispatchMgr is null");
        return;
    }
    dispatchMgr->setLayoutName(layoutId, name);
}

void RenderCtrlMgr::Impl::onLayoutLockedChanged(uint64_t layoutId, bool locked) {
    const auto dispatchMgr = mediaDispatchMgr.lock();
    if (!dispatchMgr) {
        QRC_WARN("mediaDispatchMgr is null");
        return;
    }
    dispatchMgr->setLayoutLocked(layoutId, locked);
}

void RenderCtrlMgr::Impl::onNotifyMediaUpdateDisplayCards(const std::multimap<uint64_t, EditingMode>& medias) {
    tarsel::IMediaMgr* mediaMgr = _mediaMgr;
    if (!mediaMgr) {
        QRC_WARN("_mediaMgr is null");
        return;
    }
    mediaMgr->notifyMediaUpdateDisplayCards(medias);
}

// Render view.

void RenderCtrlMgr::Impl::onOutputAddMedias(const std::vector<MediaInfo>& medias) {
    const auto dispatchMgr = mediaDispatchMgr.lock();
    if (!dispatchMgr) {
        QRC_WARN("mediaDispatchMgr is null");
        return;
    }
    dispatchMgr->outputAddMedias(medias);
}

void RenderCtrlMgr::Impl::onOutputDelMedias(const std::vector<MediaInfo>& medias, bool flag) {
    const auto dispatchMgr = mediaDispatchMgr.lock();
    if (!dispatchMgr) {
        QRC_ERR("mediaDispatchMgr is null");
        return;
    }
    dispatchMgr->outputDelMedias(medias, flag);
}

void RenderCtrlMgr::Impl::onDeleteSelectedOutputPatch(const std::vector<uint64_t>& ids) {
    const auto dispatchMgr = mediaDispatchMgr.lock();
    if (!dispatchMgr) {
        QRC_WARN("mediaDispatchMgr is null");
        return;
    }
    if (const auto timeline = firstTimelineDispatch(*dispatchMgr)) timeline->deleteSelectedOutputPatch(ids);
}

void RenderCtrlMgr::Impl::onIsSelectedOutputPatchHasMedia(const std::vector<uint64_t>& ids, bool& result) {
    const auto dispatchMgr = mediaDispatchMgr.lock();
    if (!dispatchMgr) {
        QRC_WARN("mediaDispatchMgr is null");
        return;
    }
    if (const auto timeline = firstTimelineDispatch(*dispatchMgr)) timeline->isSelectedOutputPatchHasMedia(ids, result);
}

}  // namespace qorva::mediadispatch
