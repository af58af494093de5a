#include "inputs.h"

#include <fmt/format.h>

namespace sandbox {

namespace {

using qorva::sim::SimPlayer;

struct InputPlan {
    SimPlayer::Options options;
    std::string kind;
    bool live;
};

// Source type 7 is a capture input, which is never tracked for its online state.
const std::vector<InputPlan> kInputs = {
    {{.name = "sdi-in", .width = 640, .height = 360, .rgba = 0xFF30A0A0u, .sourceType = 7}, "capture", true},
    {{.name = "stream-live", .width = 640, .height = 360, .sourceType = 3, .url = "rtsp://10.0.0.21/live"},
     "stream",
     true},
    {{.name = "stream-silent", .sourceType = 3, .url = "rtsp://10.0.0.22/silent"}, "stream, silent", false},
};

constexpr uint64_t kFirstPlacementId = 901;

}  // namespace

InputSources::InputSources(qorva::sim::SimHost& host, TapRecorder& taps) : _host(host), _taps(taps) {
    std::vector<tarsel::InputSourceItem> items;
    for (const InputPlan& input : kInputs) {
        auto player = std::make_shared<SimPlayer>(input.options);
        player->setLive(input.live);
        const uint64_t placementId = kFirstPlacementId + _inputs.size();
        tarsel::InputSourceItem item{.sharedPlayer = player, .thumbnailMeta = player->meta()};
        item.placements.push_back({placementId, 0.f, 0.f, 1920.f, 1080.f});
        item.layerNumber = static_cast<uint32_t>(_inputs.size() + 1);
        item.scaleKey = input.options.name;
        items.push_back(item);
        _inputs.push_back({input.kind, player, placementId});
    }
    host.mediaMgr.setInputSources("", items);

    _ctrl.setMediaDispatchMgr(host.dispatchMgr);
    _ctrl.setMediaMgr(&host.mediaMgr);
    _ctrl.setZQRuntime(&host.runtime);
    _ctrl.setFrameDataCallBack(taps.callback());
    _ctrl.setRenderFacade(host.facade);
}

InputsReport InputSources::stop() {
    _ctrl.release();
    _ctrl.unsetZQRuntime();
    _ctrl.unsetMediaDispatchMgr();
    _ctrl.unsetMediaMgr();

    InputsReport report{_host.facade->inputPasses(), {}};
    for (const Input& input : _inputs) {
        report.rows.push_back({input.placementId, input.player->options().name, input.kind, input.player->framesMade(),
                               _taps.count({input.placementId}), input.player->meta()->isOnline()});
    }
    return report;
}

void printInputsReport(const InputsReport& report) {
    fmt::print("\n{:<10} {:<16} {:<16} {:>8} {:>8} {:>8}   ({} input passes)\n", "placement", "input", "kind", "frames",
               "taps", "online", report.passes);
    for (const auto& r : report.rows)
        fmt::print("{:<10} {:<16} {:<16} {:>8} {:>8} {:>8}\n", r.placementId, r.name, r.kind, r.frames, r.taps,
                   r.online ? "yes" : "no");
}

}  // namespace sandbox
