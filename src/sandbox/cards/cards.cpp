#include "cards.h"

#include <fmt/format.h>

namespace sandbox {

namespace {

// In turn: a card the frame sync library drives, an NVIDIA card it leaves alone
// (T400) and a card of another make; both of these run their own render thread.
const std::vector<std::string> kCardModels = {"NVIDIA RTX A4000", "NVIDIA T400", "Intel UHD Graphics 770"};

// Player colours, red in the low byte.
const std::vector<uint32_t> kColours = {0xFF2050C0u, 0xFF40A020u, 0xFFC06020u, 0xFF2090C0u,
                                        0xFF9030A0u, 0xFF808020u, 0xFF6060E0u, 0xFF30C0A0u};

constexpr uint64_t kLayersPerCard = 100;
constexpr uint64_t kStillLayerOffset = 50;
constexpr int32_t kPlayerWidth = 640;
constexpr int32_t kPlayerHeight = 360;

// Sender keys of the card's own, and one key without a texture, which the library
// does not forward.
std::map<uint64_t, uint64_t> cardTextures(uint64_t cardIndex) {
    const uint64_t base = cardIndex * 0x10;
    return {{base + 1, 0x100 + base}, {base + 2, 0x200 + base}, {base + 3, 0}};
}

Layer addPlayer(qorva::sim::SimHost& host, const Card& card, uint64_t cardIndex, int index) {
    const uint64_t id = (cardIndex + 1) * kLayersPerCard + static_cast<uint64_t>(index) + 1;
    const std::string name = fmt::format("clip-{}{}", cardIndex, static_cast<char>('a' + index));
    const uint32_t colour = kColours[(cardIndex * 3 + static_cast<uint64_t>(index)) % kColours.size()];
    auto player =
        host.addPlayer(card.text, {.name = name, .width = kPlayerWidth, .height = kPlayerHeight, .rgba = colour}, id,
                       static_cast<uint32_t>(index + 1));
    return {id, name, "player", player};
}

// A still picture the host draws itself: the library pulls no frame for it and hands
// the layer to the layout manager on every pass. Its tap stays off, since the
// library has no frame of it to scale.
Layer addStillLayer(qorva::sim::SimHost& host, const Card& card, uint64_t cardIndex, uint32_t layerNumber) {
    const uint64_t id = (cardIndex + 1) * kLayersPerCard + kStillLayerOffset;
    const std::string name = fmt::format("still-{}", cardIndex);
    auto player = std::make_shared<qorva::sim::SimPlayer>(qorva::sim::SimPlayer::Options{.name = name});
    tarsel::InputSourceItem item{.isStatic = true, .sharedPlayer = player, .name = name, .layerNumber = layerNumber};
    item.placements.push_back({id, 0.f, 0.f, 1920.f, 1080.f});
    host.addItem(card.text, item);
    return {id, name, "still", player};
}

}  // namespace

std::vector<uint64_t> Card::layerIds() const {
    std::vector<uint64_t> ids;
    for (const Layer& layer : layers) ids.push_back(layer.id);
    return ids;
}

std::vector<Card> addCards(qorva::sim::SimHost& host, int cards, int players) {
    std::vector<Card> added;
    for (uint64_t i = 0; i < static_cast<uint64_t>(cards); ++i) {
        Card card{.text = fmt::format("#{}({})", i, kCardModels[i % kCardModels.size()])};
        card.facade = host.addCard(card.text);
        card.textures = cardTextures(i);
        card.facade->setOutputTextures(card.textures);
        for (int p = 0; p < players; ++p) card.layers.push_back(addPlayer(host, card, i, p));
        added.push_back(std::move(card));
    }
    // The cards the frame sync library drives are genlocked: their blanks share the
    // first one's phase.
    for (size_t i = kCardModels.size(); i < added.size(); i += kCardModels.size())
        added[i].facade->vblank().lockPhaseTo(added[0].facade->vblank());
    Card& last = added.back();
    last.layers.push_back(addStillLayer(host, last, added.size() - 1, static_cast<uint32_t>(players + 1)));
    return added;
}

}  // namespace sandbox
