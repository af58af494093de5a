#pragma once
// The signal/handler pairs the manager connects, each list in the one order in which
// it is connected and disconnected. `visit(signal, handler)` is called per pair.
#include "renderctrlmgr/renderctrlmgr_impl.h"

namespace qorva::mediadispatch {

// Picks one overload of a handler.
template <class... Args>
constexpr auto handler(void (RenderCtrlMgr::Impl::*pmf)(Args...)) {
    return pmf;
}

using Impl = RenderCtrlMgr::Impl;

// Output layout manager signals (plain connections).
template <class Visit>
void visitLayoutMgrConnections(IMediaOutputLayoutMgr& mgr, Visit&& visit) {
    visit(mgr.sigLayerAdded, handler<uint64_t, const std::string&>(&Impl::onLayerAdded));
    visit(mgr.sigTakeCutTriggered, &Impl::onTakeCutTriggered);
    visit(mgr.sigLayoutNameChanged, &Impl::onLayoutNameChanged);
    visit(mgr.sigLayoutLockedChanged, &Impl::onLayoutLockedChanged);
    visit(mgr.sigNotifyMediaUpdateDisplayCards, &Impl::onNotifyMediaUpdateDisplayCards);
}

// Render view signals (plain connections).
template <class Visit>
void visitRenderViewConnections(qorva::mediaoutput::IRenderView& view, Visit&& visit) {
    visit(view.sigOutputAddMedias, &Impl::onOutputAddMedias);
    visit(view.sigOutputDelMedias, &Impl::onOutputDelMedias);
    visit(view.sigDeleteSelectedOutputPatch, &Impl::onDeleteSelectedOutputPatch);
    visit(view.sigIsSelectedOutputPatchHasMedia, &Impl::onIsSelectedOutputPatchHasMedia);
}

// Media manager signals (tracked connections).
template <class Visit>
void visitMediaMgrConnections(tarsel::IMediaMgr& mgr, Visit&& visit) {
    visit(mgr.sigMediaDisplayCardsChanged, &Impl::onMediaDisplayCardsChanged);
    visit(mgr.sigFrameTimeChanged, &Impl::updateGetFrameTime);
}

// How a dispatch signal is connected: tracked on the manager's Impl, or plain.
enum class Link { tracked, plain };

// The signals of one dispatch. `between()` runs after the first 22 pairs: the
// dispatch's callbacks are registered and withdrawn at that point.
template <class Visit, class Between>
void visitDispatchConnections(IDispatch& d, Visit&& visit, Between&& between) {
    using Vec = const std::vector<uint64_t>&;
    using Str = const std::string&;
    visit(d.sigLayerAdded, handler<Vec, uint64_t, Str, Str>(&Impl::onLayerAdded), Link::tracked);
    visit(d.sigLayerRemove, &Impl::onLayerRemove, Link::tracked);
    visit(d.sigLayerAddedWithNumber, handler<Vec, uint64_t, Str, uint64_t>(&Impl::onLayerAdded), Link::tracked);
    visit(d.sigLayerNameChanged, &Impl::onLayerNameChanged, Link::tracked);
    visit(d.sigMediasAdded, &Impl::onMediasAdded, Link::tracked);
    visit(d.sigMediasReplaced, &Impl::onMediasReplaced, Link::tracked);
    visit(d.sigMediaAboutToBeRemoved, &Impl::onMediaAboutToBeRemoved, Link::tracked);
    visit(d.sigMediaVisibleChanged, &Impl::onMediaVisibleChanged, Link::plain);
    visit(d.sigMediaLayerChanged, &Impl::onMediaLayerChanged, Link::plain);
    visit(d.sigMediaFadeToggled, &Impl::onMediaFadeToggled, Link::plain);
    visit(d.sigMediaReleased, &Impl::onMediaReleased, Link::plain);
    visit(d.sigMediaForceUpdate, &Impl::onMediaForceUpdate, Link::plain);
    visit(d.sigLayoutAdded, &Impl::onLayoutAdded, Link::plain);
    visit(d.sigLayoutAboutToBeDeleted, &Impl::onLayoutAboutToBeDeleted, Link::plain);
    visit(d.sigLayoutKeepChanged, &Impl::onLayoutKeepChanged, Link::plain);
    visit(d.sigLayoutVisibleChanged, &Impl::onLayoutVisibleChanged, Link::plain);
    visit(d.sigMediaColorPropertyChanged, &Impl::onMediaColorPropertyChanged, Link::plain);
    visit(d.sigMediaBorderPropertyChanged, &Impl::onMediaBorderPropertyChanged, Link::plain);
    visit(d.sigMediaPickPropertyChanged, &Impl::onMediaPickPropertyChanged, Link::plain);
    visit(d.sigMediaEffectPropertyChanged, &Impl::onMediaEffectPropertyChanged, Link::plain);
    visit(d.sigAllLayoutPropertySet, &Impl::onAllLayoutPropertySet, Link::plain);
    visit(d.sigLayoutPropertyset, &Impl::onLayoutPropertyset, Link::plain);
    between();
    visit(d.sigChangeLayoutName, &Impl::changeLayoutName, Link::plain);
    visit(d.sigCreateLayoutCopy, &Impl::onCreateLayoutCopy, Link::plain);
    visit(d.sigChangeLayoutLock, &Impl::onChangeLayoutLock, Link::plain);
    visit(d.sigClearMediaOutput, &Impl::onClearMediaOutput, Link::plain);
    visit(d.sigSyncPreeditDatas, &Impl::onSyncPreeditDatas, Link::plain);
    visit(d.sigLayerSelected, &Impl::onLayerSelected, Link::plain);
    visit(d.sigResetLayoutKeep, &Impl::resetLayoutKeep, Link::plain);
    visit(d.sigLoadPreviewLayout, &Impl::onLoadPreviewLayout, Link::plain);
    visit(d.sigLayoutStartFade, &Impl::onLayoutStartFade, Link::plain);
    visit(d.sigLayoutStopFade, &Impl::onLayoutStopFade, Link::plain);
    visit(d.sigMediaPlayStateChanged, &Impl::onMediaPlayStateChanged, Link::plain);
}

// Media dispatch manager signals (tracked connections).
template <class Visit>
void visitDispatchMgrConnections(IMediaDispatchMgr& mgr, Visit&& visit) {
    visit(mgr.sigDispatchAdded, &Impl::onDispatchAdded);
    visit(mgr.sigDispatchRemoved, &Impl::onDispatchRemoved);
}

}  // namespace qorva::mediadispatch
