// One draw pass of a card with 8 players of 4 layers each, over a host whose calls do
// nothing, against a loop that makes the same host calls directly: what the library
// adds to a pass.
#include <list>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "nullhost.h"
#include "qorvahost/zqcutils_control.h"
#include "renderctrl/renderctrl.h"
#include "report.h"

namespace qrc::bench {
namespace {

using qorva::mediadispatch::FrameDataCallBack;
using qorva::mediadispatch::RenderCtrl;

constexpr int kPlayers = 8;
constexpr int kPlacements = 4;
const std::string kCard = "#0(Null Card)";

const FrameDataCallBack kTap = [](const MediaInfo& info, const IFrame* frame) {
    benchmark::DoNotOptimize(info);
    benchmark::DoNotOptimize(frame);
};

// A pass loop runs far above 75 passes a second, where each pass would end with a
// 1 ms sleep meant for a card without a vertical blank: that sleep is not measured.
class NoSleeps {
public:
    NoSleeps() {
        zqcutils::control::setSleepHook([](unsigned) {});
    }
    ~NoSleeps() { zqcutils::control::setSleepHook(nullptr); }
};

// The pass reads the host's millisecond clock for its statistics, 88 times with the
// tap off and 184 with it on; this host's clock costs a system clock read. Stubbed,
// it costs an atomic load, and what remains is the library's own work.
class StubbedClock {
public:
    StubbedClock() { zqcutils::control::setManualTimeMs(1000); }
    ~StubbedClock() { zqcutils::control::useRealTime(); }
};

void libraryPass(benchmark::State& state, bool tap, bool stubClock) {
    NullHost host(kPlayers, kPlacements);
    RenderCtrl ctrl;
    ctrl.setCardName(kCard);
    ctrl.setRenderFacade(host.facade);
    ctrl.setMediaDispatchMgr(host.dispatchMgr);
    ctrl.setMediaMgr(&host.mediaMgr);
    ctrl.setOutPutLayoutMgr(host.layoutMgr);
    ctrl.setZQRuntime(&host.runtime);
    ctrl.setSenderMgr(&host.senderMgr);
    if (tap) ctrl.setFrameDataCallBack(kTap);
    const NoSleeps noSleeps;
    std::optional<StubbedClock> clock;
    if (stubClock) clock.emplace();
    for (auto _ : state) ctrl.updateFrameData(0);
}

// The tap of one placement: a frame scaled into the layer's tap size, handed on.
void tapPlacement(qorva::mediaoutput::IRenderFacade& facade, LayerFrameInfo& rec, const tarsel::InputSourceItem& item) {
    IFrame scaled;
    scaled.setFps(rec.fps);
    benchmark::DoNotOptimize(rec.frame->getWidth());
    benchmark::DoNotOptimize(rec.frame->getHeight());
    facade.scaleLayerFrame(rec, &scaled, 320, 180, item.scaleKey, false);
    if (scaled.kframe()) kTap(MediaInfo{0, 0, rec.layerId, 0, rec.layerNumber, 14, true}, &scaled);
}

void drawPlayer(NullHost& host, const tarsel::InputSourceItem& item, bool tap,
                std::vector<std::shared_ptr<tarsel::IPlayer>>& consumed) {
    qorva::mediaoutput::IMediaOutputLayoutMgr& layout = *host.layoutMgr;
    const auto player = item.sharedPlayer.lock();
    IFrame* frame = player->getFrame(0.0);
    consumed.push_back(player);
    benchmark::DoNotOptimize(frame->getTime());
    tarsel::IZQRuntime& runtime = host.runtime;
    if (!runtime.isClientMode()) benchmark::DoNotOptimize(player->getMeta()->getSourceType());
    LayerFrameInfo rec;
    rec.layerNumber = item.layerNumber;
    rec.frame = frame;
    rec.fps = frame->getFps();
    rec.scaleKey = item.scaleKey;
    rec.syncTag = item.syncTag;
    for (const tarsel::InputSourceEntry& placement : item.placements) {
        rec.layerId = placement.id;
        rec.x = placement.x;
        rec.y = placement.y;
        rec.width = placement.width;
        rec.height = placement.height;
        layout.updateLayerFrame(rec);
        if (tap) tapPlacement(*host.facade, rec, item);
    }
}

void baselinePass(benchmark::State& state, bool tap) {
    NullHost host(kPlayers, kPlacements);
    qorva::mediaoutput::IRenderFacade& facade = *host.facade;
    tarsel::IMediaMgr& media = host.mediaMgr;
    tarsel::IZQRuntime& runtime = host.runtime;
    qorva::mediaoutput::IVirtualSenderMgr& sender = host.senderMgr;
    std::map<uint64_t, uint64_t> textures;
    for (auto _ : state) {
        std::list<qorva::mediaoutput::OutputLayerSize> sizes;
        bool changed = false;
        bool exempt = true;
        host.layoutMgr->getOutputLayerSizes(sizes, kCard, &changed, &exempt);
        std::vector<tarsel::InputSourceItem> players;
        media.getInputSources(players, kCard, true);
        std::vector<std::shared_ptr<tarsel::IPlayer>> consumed;
        for (const auto& item : players) drawPlayer(host, item, tap, consumed);
        facade.render();
        if (!runtime.isClientMode()) {
            textures.clear();
            facade.getOutputTextures(kCard, textures);
            for (const auto& [key, texture] : textures) sender.updateSenderTexture(key, texture);
        }
        for (const auto& player : consumed) player->frameConsumed();
        facade.endFrame();
    }
}

const bool registered = [] {
    for (const bool stubClock : {false, true}) {
        for (const bool tap : {true, false}) {
            const std::string title =
                fmt::format("draw pass, tap {}{}", tap ? "on" : "off", stubClock ? ", host clock stubbed" : "");
            compare(
                title, 1.25, [=](benchmark::State& s) { libraryPass(s, tap, stubClock); },
                [=](benchmark::State& s) { baselinePass(s, tap); });
        }
    }
    return true;
}();

}  // namespace
}  // namespace qrc::bench
