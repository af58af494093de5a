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

// Media dispatch manager signals (tracked connections).
template <class Visit>
void visitDispatchMgrConnections(IMediaDispatchMgr& mgr, Visit&& visit) {
    visit(mgr.sigDispatchAdded, &Impl::onDispatchAdded);
    visit(mgr.sigDispatchRemoved, &Impl::onDispatchRemoved);
}

}  // namespace qorva::mediadispatch
