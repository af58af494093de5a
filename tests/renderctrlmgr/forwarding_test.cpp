// Every forwarded event, one table per signal group: with its service the event makes
// exactly its row's calls; without it, it logs the row's message under the handler's
// name at the row's level and calls nothing.
#include <functional>

#include <gmock/gmock.h>

#include "common/log.h"
#include "renderctrlmgr/editingscene.h"

namespace qorva::mediadispatch::test {
namespace {

using renderctrl::log::Err;
using renderctrl::log::Info;
using renderctrl::log::Warn;
using tarsel::BorderProperty;
using tarsel::EffectProperty;
using tarsel::EffectType;
using tarsel::PickProperty;
constexpr auto kRemote = tarsel::EditingMode::Remote;
constexpr auto kTimeline = DispatchType::Timeline;
const std::vector<MediaInfo> kMedias = {MediaInfo{.mediaId = 5}};
const std::vector<std::pair<uint64_t, tarsel::ColorProperty>> kColors = {{2, {}}};

struct Absence {
    Service service;
    int level;
    const char* message;
};
const Absence layoutErr{Service::layoutMgr, Err, "layoutMgr is null"};
const Absence layoutWarn{Service::layoutMgr, Warn, "layoutMgr is null"};
const Absence layoutWarnDot{Service::layoutMgr, Warn, "layoutMgr is null."};
const Absence dispatchErr{Service::dispatchMgr, Err, "mediaDispatchMgr is null"};
const Absence dispatchWarn{Service::dispatchMgr, Warn, "mediaDispatchMgr is null"};
const Absence mediaWarn{Service::mediaMgr, Warn, "_mediaMgr is null"};
const Absence outputWarn{Service::outputMgr, Warn, "_outputMgr is null"};

class Forwarding;
struct Row {
    std::function<void(Forwarding&)> emit;
    Strings calls;
    Absence absent;
    std::string handler;
    Strings infoLines = {};
};

class Forwarding : public EditingScene, public ::testing::WithParamInterface<Row> {
public:
    using EditingScene::d;
    using EditingScene::host;
};
using S = Forwarding;

TEST_P(Forwarding, MakesItsCallsWithTheService) {
    wire();
    GetParam().emit(*this);
    EXPECT_EQ(allCalls(), GetParam().calls);
    EXPECT_EQ(log.messages(), GetParam().infoLines);
    for (const auto& record : log.records()) EXPECT_EQ(record.level, Info);
}

TEST_P(Forwarding, LogsAndCallsNothingWithoutTheService) {
    const Absence& absent = GetParam().absent;
    wire(absent.service);
    GetParam().emit(*this);
    EXPECT_EQ(allCalls(), Strings{});
    const auto records = log.records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].message, absent.message);
    EXPECT_EQ(records[0].level, absent.level);
    EXPECT_THAT(records[0].line, ::testing::HasSubstr(":" + GetParam().handler + "()#"));
}

void PrintTo(const Row& row, std::ostream* out) { *out << row.handler; }
std::string rowName(const ::testing::TestParamInfo<Row>& info) {
    return info.param.handler + "_" + std::to_string(info.index);
}

// clang-format off
const Row kDispatchRows[] = {
    {[](S& s) { s.d.sigLayerAdded(Ids{1, 2}, 7, "L", "x"); }, {"addLayer([1,2],7,L)"}, layoutErr, "onLayerAdded"},
    {[](S& s) { s.d.sigLayerRemove(Ids{1}, Ids{7, 9}, true); },
     {"removeLayer([1],7,true)", "removeLayer([1],9,true)"}, layoutErr, "onLayerRemove"},
    {[](S& s) { s.d.sigLayerAddedWithNumber(Ids{3}, 8, "N", 99); }, {"addLayer([3],8,N)"}, layoutErr, "onLayerAdded"},
    {[](S& s) { s.d.sigLayerNameChanged(4, "Z"); }, {"setLayerName(0,4,Z)"}, layoutErr, "onLayerNameChanged"},
    {[](S& s) { s.d.sigMediasAdded(kMedias); }, {"addMedias([5])"}, layoutWarn, "onMediasAdded"},
    {[](S& s) { s.d.sigMediasReplaced(6, kRemote); }, {"replaceMedias(6,1)"}, layoutWarn, "onMediasReplaced"},
    {[](S& s) { s.d.sigMediaAboutToBeRemoved(7, 8, kRemote); }, {"removeMedia(7,8,1)"}, layoutWarnDot,
     "onMediaAboutToBeRemoved"},
    {[](S& s) { s.d.sigMediaVisibleChanged(1, 2, 3, true, kRemote, -5); }, {"setLayerSource(1,2,3,1,-5)"},
     layoutWarnDot, "onMediaVisibleChanged", {"render setLayerSource: layoutId:1,layerId:2,mediaId:3"}},
    {[](S& s) { s.d.sigMediaVisibleChanged(1, 2, 3, false, kRemote, -5); }, {"restoreLayerSource(1,2,3,1)"},
     layoutWarnDot, "onMediaVisibleChanged", {"render restoreLayerSource: layoutId:1,layerId:2,mediaId:3"}},
    {[](S& s) { s.d.sigMediaLayerChanged(4, 5, kRemote); }, {"setMediaLayerId(4,5,1)"}, layoutWarn,
     "onMediaLayerChanged", {"render setMediaLayerId: mediaId:4,layerId:5"}},
    {[](S& s) { s.d.sigMediaFadeToggled(STDispatchMediaFadeInfo{true, {9, 250}}); }, {"toggleMediaFade(9,250)"},
     layoutWarn, "onMediaFadeToggled"},
    {[](S& s) { s.d.sigMediaReleased(kMedias); }, {"releaseMedias([5])"}, layoutWarn, "onMediaReleased"},
    {[](S& s) { s.d.sigMediaForceUpdate(3, kRemote, true); }, {"forceUpdateMedia(3,1,true)"}, layoutWarn,
     "onMediaForceUpdate"},
    {[](S& s) { s.d.sigLayoutAdded(kTimeline, 10, "L10"); },
     {"addLayout(10,L10,-1,3)", "findLayout(1,0)", "findLayout(2,0)", "addLayout(1,fixedFrontLayout,-1,0)",
      "addLayout(2,fixedBackLayout,-1,0)"}, layoutWarn, "onLayoutAdded"},
    {[](S& s) { s.d.sigLayoutAboutToBeDeleted(kTimeline, 10); }, {"deleteLayout(10,3)"}, layoutWarn,
     "onLayoutAboutToBeDeleted"},
    {[](S& s) { s.d.sigLayoutKeepChanged(true); }, {"setLayoutKeep(true)"}, layoutWarn, "onLayoutKeepChanged"},
    {[](S& s) { s.d.sigLayoutVisibleChanged(kTimeline, 10, true, kRemote); }, {"loadLayout(10,3,1)"}, layoutWarn,
     "onLayoutVisibleChanged", {"render loadLayout id:10"}},
    {[](S& s) { s.d.sigLayoutVisibleChanged(kTimeline, 10, false, kRemote); }, {"unLoadLayout(10,3,1)"}, layoutWarn,
     "onLayoutVisibleChanged", {"render unLoadLayout id:10"}},
    {[](S& s) { s.d.sigMediaColorPropertyChanged(1, kColors, kRemote); }, {"setMediaColorProperty(1,1)"},
     layoutWarn, "onMediaColorPropertyChanged"},
    {[](S& s) { s.d.sigMediaBorderPropertyChanged(1, Ids{2, 3}, BorderProperty{4, 0}, kRemote); },
     {"setMediaBorderProperty([2,3],4,1)"}, layoutWarn, "onMediaBorderPropertyChanged"},
    {[](S& s) { s.d.sigMediaPickPropertyChanged(1, Ids{2}, PickProperty{5, 0.f}, kRemote); },
     {"setMediaPickProperty([2],5,1)"}, layoutWarn, "onMediaPickPropertyChanged"},
    {[](S& s) { s.d.sigMediaEffectPropertyChanged(1, Ids{2}, EffectType::Mosaic, EffectProperty{.5f}, kRemote); },
     {"setMediaEffectProperty([2],2,0.5,1)"}, layoutWarn, "onMediaEffectPropertyChanged"},
    {[](S& s) { s.d.sigAllLayoutPropertySet(4, true, kRemote); }, {"setAllLayoutProperty(4,true,1,false)"},
     layoutWarn, "onAllLayoutPropertySet"},
    {[](S& s) { s.d.sigLayoutPropertyset(4, 5, kRemote); }, {"setLayoutProperty(4,5,1)"}, layoutWarn,
     "onLayoutPropertyset"},
    {[](S& s) { s.d.sigChangeLayoutName(5, 9, "N"); }, {"changeLayoutName(9,N,4096)"}, layoutWarn, "changeLayoutName"},
    {[](S& s) { s.d.sigCreateLayoutCopy(1, 2, "C", kRemote); }, {"createLayoutCopy(1,2,C,1)"}, layoutWarn,
     "onCreateLayoutCopy"},
    {[](S& s) { s.d.sigChangeLayoutLock(3, 4, true, kRemote); }, {"changeLayoutLock(3,true,1)"}, layoutWarn,
     "onChangeLayoutLock"},
    {[](S& s) { s.d.sigClearMediaOutput(); }, {"clearMediaOutput()"}, layoutWarn, "onClearMediaOutput"},
    {[](S& s) { s.d.sigSyncPreeditDatas(6); }, {"syncPreeditDatas(6)"}, layoutWarn, "onSyncPreeditDatas"},
    {[](S& s) { s.d.sigLayerSelected(1, 2); }, {"selectLayer(1,2)"}, layoutWarn, "onLayerSelected"},
    {[](S& s) { s.d.sigResetLayoutKeep(); }, {"resetLayoutKeep()"}, layoutWarn, "resetLayoutKeep"},
    {[](S& s) { s.d.sigLoadPreviewLayout(); }, {"loadPreviewLayout()"}, layoutWarn, "onLoadPreviewLayout"},
    {[](S& s) { s.d.sigLayoutStartFade(LayoutStartFadeParam{7, 300}); }, {"output.startLayoutFade(7,300)"},
     outputWarn, "onLayoutStartFade"},
    {[](S& s) { s.d.sigLayoutStopFade(7); }, {"output.stopLayoutFade(7)"}, outputWarn, "onLayoutStopFade"},
    {[](S& s) { s.d.sigMediaPlayStateChanged(STMediaPlayStateInfo{3, 2}); }, {"setMediaPlayState(3,2)"}, layoutWarn,
     "onMediaPlayStateChanged"},
};

const Row kLayoutMgrRows[] = {
    {[](S& s) { s.host.layoutMgr->sigLayerAdded(7, "L"); }, {"addLayer([],7,L)"}, layoutErr, "onLayerAdded"},
    {[](S& s) { s.host.layoutMgr->sigTakeCutTriggered(true, false); }, {"dispatchMgr.takeCut(true,false)"},
     dispatchErr, "onTakeCutTriggered"},
    {[](S& s) { s.host.layoutMgr->sigLayoutNameChanged(9, "N"); }, {"dispatchMgr.setLayoutName(9,N)"}, dispatchErr,
     "onLayoutNameChanged"},
    {[](S& s) { s.host.layoutMgr->sigLayoutLockedChanged(9, true); }, {"dispatchMgr.setLayoutLocked(9,true)"},
     dispatchWarn, "onLayoutLockedChanged"},
    {[](S& s) { s.host.layoutMgr->sigNotifyMediaUpdateDisplayCards(std::multimap<uint64_t, tarsel::EditingMode>{
         {1, kRemote}}); }, {"media.notifyMediaUpdateDisplayCards(1)"}, mediaWarn, "onNotifyMediaUpdateDisplayCards"},
};

const Row kRenderViewRows[] = {
    {[](S& s) { s.host.layoutMgr->renderView()->sigOutputAddMedias(kMedias); }, {"dispatchMgr.outputAddMedias(1)"},
     dispatchWarn, "onOutputAddMedias"},
    {[](S& s) { s.host.layoutMgr->renderView()->sigOutputDelMedias(kMedias, true); },
     {"dispatchMgr.outputDelMedias(1,true)"}, dispatchErr, "onOutputDelMedias"},
    {[](S& s) { s.host.layoutMgr->renderView()->sigDeleteSelectedOutputPatch(Ids{1, 2}); },
     {"timeline.deleteSelectedOutputPatch([1,2])"}, dispatchWarn, "onDeleteSelectedOutputPatch"},
    {[](S& s) { bool out = false; s.host.layoutMgr->renderView()->sigIsSelectedOutputPatchHasMedia(Ids{3}, out); },
     {"timeline.isSelectedOutputPatchHasMedia([3])"}, dispatchWarn, "onIsSelectedOutputPatchHasMedia"},
};

const Row kMediaMgrRows[] = {
    {[](S& s) { s.host.mediaMgr.sigMediaDisplayCardsChanged(4, Strings{"#0(A)"}, kRemote); },
     {"setMediaDisplayCards(4,[#0(A)],1)"}, layoutWarn, "onMediaDisplayCardsChanged"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Dispatch, Forwarding, ::testing::ValuesIn(kDispatchRows), rowName);
INSTANTIATE_TEST_SUITE_P(LayoutMgr, Forwarding, ::testing::ValuesIn(kLayoutMgrRows), rowName);
INSTANTIATE_TEST_SUITE_P(RenderView, Forwarding, ::testing::ValuesIn(kRenderViewRows), rowName);
INSTANTIATE_TEST_SUITE_P(MediaMgr, Forwarding, ::testing::ValuesIn(kMediaMgrRows), rowName);

}  // namespace
}  // namespace qorva::mediadispatch::test
