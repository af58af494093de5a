// The records and host interfaces the library shares with the host, each made part of
// the ABI description. Most of them reach the library's exported functions only
// inside std::function, std::vector or std::weak_ptr, which the description leaves
// out with the rest of the standard library; abidw follows exported functions, so
// one function per type here makes abidiff see each type whole, member by member.
// Built only for the ABI check, never shipped.
#include "qorvahost.h"
#include "qorvarenderctrl/qorvarenderctrl.h"

#define QRC_ABI_ANCHOR(name, type) \
    extern "C" __attribute__((visibility("default"))) void qrcAbi_##name(const type*) {}

// Records and enumerations passed between the host and the library.
QRC_ABI_ANCHOR(MediaInfo, qorva::MediaInfo)
QRC_ABI_ANCHOR(DispatchType, qorva::DispatchType)
QRC_ABI_ANCHOR(LayoutStartFadeParam, qorva::LayoutStartFadeParam)
QRC_ABI_ANCHOR(STMediaPlayStateInfo, qorva::STMediaPlayStateInfo)
QRC_ABI_ANCHOR(STMediaFadeInfo, qorva::STMediaFadeInfo)
QRC_ABI_ANCHOR(STDispatchMediaFadeInfo, qorva::STDispatchMediaFadeInfo)
QRC_ABI_ANCHOR(RenderCtrlMgrCallBackCommon, qorva::RenderCtrlMgrCallBackCommon)
QRC_ABI_ANCHOR(EditingMode, tarsel::EditingMode)
QRC_ABI_ANCHOR(ColorProperty, tarsel::ColorProperty)
QRC_ABI_ANCHOR(BorderProperty, tarsel::BorderProperty)
QRC_ABI_ANCHOR(PickProperty, tarsel::PickProperty)
QRC_ABI_ANCHOR(EffectProperty, tarsel::EffectProperty)
QRC_ABI_ANCHOR(InputSourceEntry, tarsel::InputSourceEntry)
QRC_ABI_ANCHOR(InputSourceItem, tarsel::InputSourceItem)
QRC_ABI_ANCHOR(ServerNodeInfo, tarsel::link::ServerNodeInfo)
QRC_ABI_ANCHOR(ServerType, tarsel::link::ServerType)
QRC_ABI_ANCHOR(LinkRequest, tarsel::link::LinkRequest)
QRC_ABI_ANCHOR(DisplayCardInfo, qorva::mediaoutput::DisplayCardInfo)
QRC_ABI_ANCHOR(LayerFrameInfo, qorva::mediaoutput::LayerFrameInfo)
QRC_ABI_ANCHOR(OutputLayerSize, qorva::mediaoutput::OutputLayerSize)
QRC_ABI_ANCHOR(LayoutAttribute, qorva::mediaoutput::LayoutAttribute)

// Interfaces whose virtual operations the two sides call across the boundary.
QRC_ABI_ANCHOR(IRenderCtrl, qorva::mediadispatch::IRenderCtrl)
QRC_ABI_ANCHOR(IRenderCtrlLink, qorva::mediadispatch::IRenderCtrlLink)
QRC_ABI_ANCHOR(IFrameSyncRenderCtx, IFrameSyncRenderCtx)
QRC_ABI_ANCHOR(IFrameSync, IFrameSync)
QRC_ABI_ANCHOR(IMediaDispatchMgr, qorva::mediadispatch::IMediaDispatchMgr)
QRC_ABI_ANCHOR(IDispatch, qorva::mediadispatch::IDispatch)
QRC_ABI_ANCHOR(ITimelineDispatch, qorva::mediadispatch::ITimelineDispatch)
QRC_ABI_ANCHOR(IProgramDispatch, qorva::mediadispatch::IProgramDispatch)
QRC_ABI_ANCHOR(IMediaMgr, tarsel::IMediaMgr)
QRC_ABI_ANCHOR(IPlayer, tarsel::IPlayer)
QRC_ABI_ANCHOR(IZQRuntime, tarsel::IZQRuntime)
QRC_ABI_ANCHOR(ILinkMgr, tarsel::link::ILinkMgr)
QRC_ABI_ANCHOR(IMediaOutputLayoutMgr, qorva::mediaoutput::IMediaOutputLayoutMgr)
QRC_ABI_ANCHOR(IOutputLayout, qorva::mediaoutput::IOutputLayout)
QRC_ABI_ANCHOR(IOutputPatch, qorva::mediaoutput::IOutputPatch)
QRC_ABI_ANCHOR(IRenderView, qorva::mediaoutput::IRenderView)
QRC_ABI_ANCHOR(IRenderFacade, qorva::mediaoutput::IRenderFacade)
QRC_ABI_ANCHOR(IOutputMgr, qorva::mediaoutput::IOutputMgr)
QRC_ABI_ANCHOR(IPhysicsOutputMgr, qorva::mediaoutput::IPhysicsOutputMgr)
QRC_ABI_ANCHOR(IVirtualSenderMgr, qorva::mediaoutput::IVirtualSenderMgr)
