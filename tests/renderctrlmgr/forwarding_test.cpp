// Every forwarded event, one table per signal group: with its service the event makes
// exactly its row's call; without it, it logs the row's message and calls nothing.
#include <functional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/log.h"
#include "renderctrlmgr/editingscene.h"

namespace qorva::mediadispatch::test {
namespace {

using renderctrl::log::Err;
using renderctrl::log::Info;
using renderctrl::log::Warn;
using tarsel::EditingMode;
constexpr EditingMode kRemote = EditingMode::Remote;
constexpr DispatchType kTimeline = DispatchType::Timeline;

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

struct Row {
    const char* name;
    std::function<void(EditingScene&)> emit;
    Strings calls;
    Absence absent;
    const char* handler;
    Strings infos = {};
};

std::string rowName(const ::testing::TestParamInfo<Row>& info) { return info.param.name; }
void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

using Ids = std::vector<uint64_t>;
const std::vector<MediaInfo> kMedias = {MediaInfo{.mediaId = 5}};
const std::vector<std::pair<uint64_t, tarsel::ColorProperty>> kColors = {{2, {}}};

class Forwarding : public EditingScene, public ::testing::TestWithParam<Row> {
protected:
    void TearDown() override { unwire(); }
};

TEST_P(Forwarding, MakesItsCallWithTheService) {
    wire();
    GetParam().emit(*this);
    EXPECT_EQ(allCalls(), GetParam().calls);
    EXPECT_EQ(log.messages(), GetParam().infos);
    for (const auto& record : log.records()) EXPECT_EQ(record.level, Info);
}

TEST_P(Forwarding, LogsItsMessageAndCallsNothingWithoutTheService) {
    const Absence& absent = GetParam().absent;
    wire(absent.service);
    GetParam().emit(*this);
    EXPECT_EQ(allCalls(), Strings{});
    const auto records = log.records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].message, absent.message);
    EXPECT_EQ(records[0].level, absent.level);
    EXPECT_THAT(records[0].line, ::testing::HasSubstr(std::string(":") + GetParam().handler + "()#"));
}

const Row kDispatchRows[] = {
    {"LayerAdded",
     [](auto& s) {
         s.dispatch->sigLayerAdded(Ids{1, 2}, 7, "L", "x");
     },
     {"layout.addLayer([1,2],7,L)"},
     layoutErr,
     "onLayerAdded"},
    {"LayerRemove",
     [](auto& s) {
         s.dispatch->sigLayerRemove(Ids{1}, Ids{7, 9}, true);
     },
     {"layout.removeLayer([1],7,true)", "layout.removeLayer([1],9,true)"},
     layoutErr,
     "onLayerRemove"},
    {"LayerAddedWithNumber",
     [](auto& s) { s.dispatch->sigLayerAddedWithNumber(Ids{3}, 8, "N", 99); },
     {"layout.addLayer([3],8,N)"},
     layoutErr,
     "onLayerAdded"},
    {"LayerNameChanged",
     [](auto& s) { s.dispatch->sigLayerNameChanged(4, "Z"); },
     {"layout.setLayerName(0,4,Z)"},
     layoutErr,
     "onLayerNameChanged"},
    {"MediasAdded",
     [](auto& s) { s.dispatch->sigMediasAdded(kMedias); },
     {"layout.addMedias([5])"},
     layoutWarn,
     "onMediasAdded"},
    {"MediasReplaced",
     [](auto& s) { s.dispatch->sigMediasReplaced(6, kRemote); },
     {"layout.replaceMedias(6,1)"},
     layoutWarn,
     "onMediasReplaced"},
    {"MediaAboutToBeRemoved",
     [](auto& s) { s.dispatch->sigMediaAboutToBeRemoved(7, 8, kRemote); },
     {"layout.removeMedia(7,8,1)"},
     layoutWarnDot,
     "onMediaAboutToBeRemoved"},
    {"MediaShown",
     [](auto& s) { s.dispatch->sigMediaVisibleChanged(1, 2, 3, true, kRemote, -5); },
     {"layout.setLayerSource(1,2,3,1,-5)"},
     layoutWarnDot,
     "onMediaVisibleChanged",
     {"render setLayerSource: layoutId:1,layerId:2,mediaId:3"}},
    {"MediaHidden",
     [](auto& s) { s.dispatch->sigMediaVisibleChanged(1, 2, 3, false, kRemote, -5); },
     {"layout.restoreLayerSource(1,2,3,1)"},
     layoutWarnDot,
     "onMediaVisibleChanged",
     {"render restoreLayerSource: layoutId:1,layerId:2,mediaId:3"}},
    {"MediaLayerChanged",
     [](auto& s) { s.dispatch->sigMediaLayerChanged(4, 5, kRemote); },
     {"layout.setMediaLayerId(4,5,1)"},
     layoutWarn,
     "onMediaLayerChanged",
     {"render setMediaLayerId: mediaId:4,layerId:5"}},
    {"MediaFadeToggled",
     [](auto& s) {
         s.dispatch->sigMediaFadeToggled(STDispatchMediaFadeInfo{true, {9, 250}});
     },
     {"layout.toggleMediaFade(9,250)"},
     layoutWarn,
     "onMediaFadeToggled"},
    {"MediaReleased",
     [](auto& s) { s.dispatch->sigMediaReleased(kMedias); },
     {"layout.releaseMedias([5])"},
     layoutWarn,
     "onMediaReleased"},
    {"MediaForceUpdate",
     [](auto& s) { s.dispatch->sigMediaForceUpdate(3, kRemote, true); },
     {"layout.forceUpdateMedia(3,1,true)"},
     layoutWarn,
     "onMediaForceUpdate"},
    {"LayoutAdded",
     [](auto& s) { s.dispatch->sigLayoutAdded(kTimeline, 10, "L10"); },
     {"layout.addLayout(10,L10,-1,3)", "layout.findLayout(1,0)", "layout.findLayout(2,0)",
      "layout.addLayout(1,fixedFrontLayout,-1,0)", "layout.addLayout(2,fixedBackLayout,-1,0)"},
     layoutWarn,
     "onLayoutAdded"},
    {"LayoutAboutToBeDeleted",
     [](auto& s) { s.dispatch->sigLayoutAboutToBeDeleted(kTimeline, 10); },
     {"layout.deleteLayout(10,3)"},
     layoutWarn,
     "onLayoutAboutToBeDeleted"},
    {"LayoutKeepChanged",
     [](auto& s) { s.dispatch->sigLayoutKeepChanged(true); },
     {"layout.setLayoutKeep(true)"},
     layoutWarn,
     "onLayoutKeepChanged"},
    {"LayoutShown",
     [](auto& s) { s.dispatch->sigLayoutVisibleChanged(kTimeline, 10, true, kRemote); },
     {"layout.loadLayout(10,3,1)"},
     layoutWarn,
     "onLayoutVisibleChanged",
     {"render loadLayout id:10"}},
    {"LayoutHidden",
     [](auto& s) { s.dispatch->sigLayoutVisibleChanged(kTimeline, 10, false, kRemote); },
     {"layout.unLoadLayout(10,3,1)"},
     layoutWarn,
     "onLayoutVisibleChanged",
     {"render unLoadLayout id:10"}},
    {"MediaColorPropertyChanged",
     [](auto& s) { s.dispatch->sigMediaColorPropertyChanged(1, kColors, kRemote); },
     {"layout.setMediaColorProperty(1,1)"},
     layoutWarn,
     "onMediaColorPropertyChanged"},
    {"MediaBorderPropertyChanged",
     [](auto& s) {
         s.dispatch->sigMediaBorderPropertyChanged(1, Ids{2, 3}, tarsel::BorderProperty{4, 0}, kRemote);
     },
     {"layout.setMediaBorderProperty([2,3],4,1)"},
     layoutWarn,
     "onMediaBorderPropertyChanged"},
    {"MediaPickPropertyChanged",
     [](auto& s) {
         s.dispatch->sigMediaPickPropertyChanged(1, Ids{2}, tarsel::PickProperty{5, 0.f}, kRemote);
     },
     {"layout.setMediaPickProperty([2],5,1)"},
     layoutWarn,
     "onMediaPickPropertyChanged"},
    {"MediaEffectPropertyChanged",
     [](auto& s) {
         s.dispatch->sigMediaEffectPropertyChanged(1, Ids{2}, tarsel::EffectType::Mosaic, tarsel::EffectProperty{0.5f},
                                                   kRemote);
     },
     {"layout.setMediaEffectProperty([2],2,0.5,1)"},
     layoutWarn,
     "onMediaEffectPropertyChanged"},
    {"AllLayoutPropertySet",
     [](auto& s) { s.dispatch->sigAllLayoutPropertySet(4, true, kRemote); },
     {"layout.setAllLayoutProperty(4,true,1,false)"},
     layoutWarn,
     "onAllLayoutPropertySet"},
    {"LayoutPropertyset",
     [](auto& s) { s.dispatch->sigLayoutPropertyset(4, 5, kRemote); },
     {"layout.setLayoutProperty(4,5,1)"},
     layoutWarn,
     "onLayoutPropertyset"},
    {"ChangeLayoutName",
     [](auto& s) { s.dispatch->sigChangeLayoutName(5, 9, "N"); },
     {"layout.changeLayoutName(9,N,4096)"},
     layoutWarn,
     "changeLayoutName"},
    {"CreateLayoutCopy",
     [](auto& s) { s.dispatch->sigCreateLayoutCopy(1, 2, "C", kRemote); },
     {"layout.createLayoutCopy(1,2,C,1)"},
     layoutWarn,
     "onCreateLayoutCopy"},
    {"ChangeLayoutLock",
     [](auto& s) { s.dispatch->sigChangeLayoutLock(3, 4, true, kRemote); },
     {"layout.changeLayoutLock(3,true,1)"},
     layoutWarn,
     "onChangeLayoutLock"},
    {"ClearMediaOutput",
     [](auto& s) { s.dispatch->sigClearMediaOutput(); },
     {"layout.clearMediaOutput()"},
     layoutWarn,
     "onClearMediaOutput"},
    {"SyncPreeditDatas",
     [](auto& s) { s.dispatch->sigSyncPreeditDatas(6); },
     {"layout.syncPreeditDatas(6)"},
     layoutWarn,
     "onSyncPreeditDatas"},
    {"LayerSelected",
     [](auto& s) { s.dispatch->sigLayerSelected(1, 2); },
     {"layout.selectLayer(1,2)"},
     layoutWarn,
     "onLayerSelected"},
    {"ResetLayoutKeep",
     [](auto& s) { s.dispatch->sigResetLayoutKeep(); },
     {"layout.resetLayoutKeep()"},
     layoutWarn,
     "resetLayoutKeep"},
    {"LoadPreviewLayout",
     [](auto& s) { s.dispatch->sigLoadPreviewLayout(); },
     {"layout.loadPreviewLayout()"},
     layoutWarn,
     "onLoadPreviewLayout"},
    {"LayoutStartFade",
     [](auto& s) {
         s.dispatch->sigLayoutStartFade(LayoutStartFadeParam{7, 300});
     },
     {"output.startLayoutFade(7,300)"},
     outputWarn,
     "onLayoutStartFade"},
    {"LayoutStopFade",
     [](auto& s) { s.dispatch->sigLayoutStopFade(7); },
     {"output.stopLayoutFade(7)"},
     outputWarn,
     "onLayoutStopFade"},
    {"MediaPlayStateChanged",
     [](auto& s) {
         s.dispatch->sigMediaPlayStateChanged(STMediaPlayStateInfo{3, 2});
     },
     {"layout.setMediaPlayState(3,2)"},
     layoutWarn,
     "onMediaPlayStateChanged"},
};
INSTANTIATE_TEST_SUITE_P(Dispatch, Forwarding, ::testing::ValuesIn(kDispatchRows), rowName);

const Row kLayoutMgrRows[] = {
    {"LayerAdded",
     [](auto& s) { s.host.layoutMgr->sigLayerAdded(7, "L"); },
     {"layout.addLayer([],7,L)"},
     layoutErr,
     "onLayerAdded"},
    {"TakeCutTriggered",
     [](auto& s) { s.host.layoutMgr->sigTakeCutTriggered(true, false); },
     {"dispatchMgr.takeCut(true,false)"},
     dispatchErr,
     "onTakeCutTriggered"},
    {"LayoutNameChanged",
     [](auto& s) { s.host.layoutMgr->sigLayoutNameChanged(9, "N"); },
     {"dispatchMgr.setLayoutName(9,N)"},
     dispatchErr,
     "onLayoutNameChanged"},
    {"LayoutLockedChanged",
     [](auto& s) { s.host.layoutMgr->sigLayoutLockedChanged(9, true); },
     {"dispatchMgr.setLayoutLocked(9,true)"},
     dispatchWarn,
     "onLayoutLockedChanged"},
    {"NotifyMediaUpdateDisplayCards",
     [](auto& s) {
         s.host.layoutMgr->sigNotifyMediaUpdateDisplayCards(std::multimap<uint64_t, EditingMode>{{1, kRemote}});
     },
     {"media.notifyMediaUpdateDisplayCards(1)"},
     mediaWarn,
     "onNotifyMediaUpdateDisplayCards"},
};
INSTANTIATE_TEST_SUITE_P(LayoutMgr, Forwarding, ::testing::ValuesIn(kLayoutMgrRows), rowName);

const Row kRenderViewRows[] = {
    {"OutputAddMedias",
     [](auto& s) { s.host.layoutMgr->renderView()->sigOutputAddMedias(kMedias); },
     {"dispatchMgr.outputAddMedias(1)"},
     dispatchWarn,
     "onOutputAddMedias"},
    {"OutputDelMedias",
     [](auto& s) { s.host.layoutMgr->renderView()->sigOutputDelMedias(kMedias, true); },
     {"dispatchMgr.outputDelMedias(1,true)"},
     dispatchErr,
     "onOutputDelMedias"},
    {"DeleteSelectedOutputPatch",
     [](auto& s) {
         s.host.layoutMgr->renderView()->sigDeleteSelectedOutputPatch(Ids{1, 2});
     },
     {"timeline.deleteSelectedOutputPatch([1,2])"},
     dispatchWarn,
     "onDeleteSelectedOutputPatch"},
    {"IsSelectedOutputPatchHasMedia",
     [](auto& s) {
         bool result = false;
         s.host.layoutMgr->renderView()->sigIsSelectedOutputPatchHasMedia(Ids{3}, result);
     },
     {"timeline.isSelectedOutputPatchHasMedia([3])"},
     dispatchWarn,
     "onIsSelectedOutputPatchHasMedia"},
};
INSTANTIATE_TEST_SUITE_P(RenderView, Forwarding, ::testing::ValuesIn(kRenderViewRows), rowName);

const Row kMediaMgrRows[] = {
    {"MediaDisplayCardsChanged",
     [](auto& s) { s.host.mediaMgr.sigMediaDisplayCardsChanged(4, Strings{"#0(A)"}, kRemote); },
     {"layout.setMediaDisplayCards(4,[#0(A)],1)"},
     layoutWarn,
     "onMediaDisplayCardsChanged"},
};
INSTANTIATE_TEST_SUITE_P(MediaMgr, Forwarding, ::testing::ValuesIn(kMediaMgrRows), rowName);

}  // namespace
}  // namespace qorva::mediadispatch::test
