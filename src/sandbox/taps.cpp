#include "taps.h"

#include <fmt/format.h>

namespace sandbox {

namespace {
constexpr uint64_t kKeysPerCard = 0x10;
}

std::map<uint64_t, uint64_t> cardTextures(size_t cardIndex) {
    const uint64_t base = cardIndex * kKeysPerCard;
    return {{base + 1, 0x100 + base}, {base + 2, 0x200 + base}, {base + 3, 0}};
}

void TapCounter::install(qorva::mediadispatch::RenderCtrlMgr& mgr) {
    mgr.setFrameDataCallBack([this](const qorva::MediaInfo& info, const zq::mediacore::IFrame* frame) {
        std::lock_guard lock(_mutex);
        LayerTaps& layer = _layers[info.mediaId];
        ++layer.count;
        layer.width = frame ? frame->getWidth() : 0;
        layer.height = frame ? frame->getHeight() : 0;
    });
}

TapReport TapCounter::report(const qorva::sim::SimSenderMgr& senders, const std::vector<std::string>& cards) const {
    TapReport report;
    {
        std::lock_guard lock(_mutex);
        report.layers = _layers;
    }
    const auto perKey = senders.updatesPerKey();
    for (size_t i = 0; i < cards.size(); ++i) {
        uint64_t sent = 0;
        for (const auto& [key, texture] : cardTextures(i)) {
            const auto it = perKey.find(key);
            if (it != perKey.end()) sent += it->second;
        }
        report.texturesPerCard.emplace_back(cards[i], sent);
    }
    return report;
}

void printTaps(const TapReport& report) {
    fmt::print("\n{:<28} {:>8} {:>10}\n", "tapped layer", "taps", "last size");
    for (const auto& [layerId, taps] : report.layers)
        fmt::print("{:<28} {:>8} {:>10}\n", layerId, taps.count, fmt::format("{}x{}", taps.width, taps.height));
    fmt::print("\n{:<28} {:>8}\n", "card", "textures");
    for (const auto& [card, sent] : report.texturesPerCard) fmt::print("{:<28} {:>8}\n", card, sent);
}

}  // namespace sandbox
