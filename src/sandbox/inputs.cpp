#include "inputs.h"

#include <fmt/format.h>

namespace sandbox {

namespace {

using qorva::sim::SimPlayer;

struct InputSpec {
    SimPlayer::Options options;
    std::string kind;
    bool live;
};

// Source type 7 is a capture input, which is never tracked for its online state.
const std::vector<InputSpec> kInputs = {
    {{.name = "sdi-in", .width = 640, .height = 360, .rgba = 0xFF30A0A0u, .sourceType = 7}, "capture", true},
    {{.name = "stream-live", .width = 640, .height = 360, .sourceType = 3, .url = "rtsp://10.0.0.21/live"},
     "stream",
     true},
    {{.name = "stream-silent", .sourceType = 3, .url = "rtsp://10.0.0.22/silent"}, "stream, silent", false},
};

constexpr uint64_t kFirstLayerId = 301;

}  // namespace

InputSources::InputSources(qorva::sim::SimHost& host) : _host(host) {
    std::vector<tarsel::InputSourceItem> items;
    for (const InputSpec& spec : kInputs) {
        auto player = std::make_shared<SimPlayer>(spec.options);
        player->setLive(spec.live);
        const uint64_t layerId = kFirstLayerId + _inputs.size();
        tarsel::InputSourceItem item{.sharedPlayer = player, .thumbnailMeta = player->meta()};
        item.placements.push_back({layerId, 0.f, 0.f, 1920.f, 1080.f});
        item.layerNumber = static_cast<uint32_t>(_inputs.size() + 1);
        item.scaleKey = spec.options.name;
        items.push_back(item);
        _inputs.push_back({spec.kind, player, layerId});
    }
    host.mediaMgr.setInputSources("", items);

    _ctrl.setMediaDispatchMgr(host.dispatchMgr);
    _ctrl.setMediaMgr(&host.mediaMgr);
    _ctrl.setZQRuntime(&host.runtime);
    _ctrl.setFrameDataCallBack([this](const qorva::MediaInfo& info, const zq::mediacore::IFrame*) {
        std::lock_guard lock(_tapMutex);
        ++_taps[info.mediaId];
    });
    _ctrl.setRenderFacade(host.facade);
}

InputsReport InputSources::stop() {
    _ctrl.release();
    _ctrl.unsetZQRuntime();
    _ctrl.unsetMediaDispatchMgr();
    _ctrl.unsetMediaMgr();

    InputsReport report{_host.facade->inputPasses(), {}};
    std::lock_guard lock(_tapMutex);
    for (const Input& input : _inputs) {
        report.rows.push_back({input.player->options().name, input.kind, input.player->framesMade(),
                               _taps[input.layerId], input.player->meta()->isOnline()});
    }
    return report;
}

void printInputsReport(const InputsReport& report) {
    fmt::print("\n{:<28} {:<16} {:>8} {:>8} {:>8}   ({} input passes)\n", "input", "kind", "frames", "taps", "online",
               report.passes);
    for (const auto& r : report.rows)
        fmt::print("{:<28} {:<16} {:>8} {:>8} {:>8}\n", r.name, r.kind, r.frames, r.taps, r.online ? "yes" : "no");
}

}  // namespace sandbox
