#include "report.h"

#include <fmt/format.h>

namespace sandbox {

namespace {

// The entry for `key`, or a value-initialised one.
template <class Map>
typename Map::mapped_type findOrDefault(const Map& map, const typename Map::key_type& key) {
    const auto it = map.find(key);
    return it == map.end() ? typename Map::mapped_type{} : it->second;
}

// The frame sync library numbers the passes it drives; a card's own thread passes 0.
std::string drivenBy(const qorva::sim::SimLayoutMgr& layoutMgr, const Card& card) {
    for (const Layer& layer : card.layers)
        if (layoutMgr.lastSyncValue(layer.id) != 0) return "frame sync";
    return "own thread";
}

uint64_t texturesSent(const qorva::sim::SimSenderMgr& senders, const Card& card) {
    const auto perKey = senders.updatesPerKey();
    uint64_t sent = 0;
    for (const auto& [key, texture] : card.textures) sent += findOrDefault(perKey, key);
    return sent;
}

LayerRow layerRow(const std::string& card, const Layer& layer, const std::map<uint64_t, uint64_t>& toLayout,
                  const std::map<uint64_t, LayerTaps>& taps) {
    return {card,
            layer.id,
            layer.name,
            layer.kind,
            layer.player ? layer.player->framesMade() : 0,
            findOrDefault(toLayout, layer.id),
            findOrDefault(taps, layer.id)};
}

std::string pictureSize(const LayerTaps& taps) {
    return taps.last ? fmt::format("{}x{}", taps.last->width, taps.last->height) : "-";
}

}  // namespace

Report collectReport(qorva::sim::SimHost& host, const std::vector<Card>& cards, const std::vector<Layer>& hostLayers,
                     const TapRecorder& taps, double seconds) {
    Report report{.seconds = seconds, .taps = taps.layers()};
    const auto toLayout = host.layoutMgr->framesPerLayer();
    for (const Card& card : cards) {
        const uint64_t passes = card.facade->renders();
        report.cards.push_back({card.text, drivenBy(*host.layoutMgr, card), passes, passes / report.seconds,
                                card.facade->vblank().missed(), taps.count(card.layerIds()),
                                texturesSent(host.senderMgr, card)});
        for (const Layer& layer : card.layers)
            report.layers.push_back(layerRow(card.shortName(), layer, toLayout, report.taps));
    }
    for (const Layer& layer : hostLayers) report.layers.push_back(layerRow("host", layer, toLayout, report.taps));
    return report;
}

void printReport(const Report& report) {
    fmt::print("\nSummary after {:.1f} s\n", report.seconds);
    fmt::print("\n{:<28} {:<11} {:>8} {:>9} {:>7} {:>8} {:>9}\n", "card", "driven by", "passes", "passes/s", "missed",
               "taps", "textures");
    for (const auto& c : report.cards)
        fmt::print("{:<28} {:<11} {:>8} {:>9.1f} {:>7} {:>8} {:>9}\n", c.card, c.driver, c.passes, c.passesPerSecond,
                   c.missedVBlanks, c.taps, c.textures);
    if (!report.frameSyncMissing.empty())
        fmt::print("No card was driven by frame sync: {}.\n", report.frameSyncMissing);
    fmt::print("\n{:<5} {:>6} {:<12} {:<14} {:>8} {:>10} {:>8} {:>9}\n", "card", "layer", "name", "kind", "frames",
               "to layout", "taps", "last tap");
    for (const auto& l : report.layers)
        fmt::print("{:<5} {:>6} {:<12} {:<14} {:>8} {:>10} {:>8} {:>9}\n", l.card, l.id, l.name, l.kind, l.frames,
                   l.toLayout, l.taps.count, pictureSize(l.taps));
    printInputsReport(report.inputs);
    printEditingReport(report.editing);
}

std::vector<Tile> contactSheetTiles(const Report& report) {
    std::map<uint64_t, std::string> captions;
    for (const auto& l : report.layers) captions[l.id] = fmt::format("{} {} {}", l.card, l.id, l.name);
    for (const auto& r : report.inputs.rows) captions[r.placementId] = fmt::format("in {} {}", r.placementId, r.name);
    std::vector<Tile> tiles;
    for (const auto& [id, taps] : report.taps)
        if (taps.last) tiles.push_back({findOrDefault(captions, id), taps.last});
    return tiles;
}

}  // namespace sandbox
