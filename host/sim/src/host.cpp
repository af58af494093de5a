#include "qorvasim/host.h"

namespace qorva::sim {

std::shared_ptr<SimRenderFacade> SimHost::addCard(const std::string& text) { return facade->addCard(text); }

void SimHost::addItem(const std::string& cardText, tarsel::InputSourceItem item) {
    auto& items = _items[cardText];
    items.push_back(std::move(item));
    mediaMgr.setInputSources(cardText, items);
}

std::shared_ptr<SimPlayer> SimHost::addPlayer(const std::string& cardText, SimPlayer::Options options, uint64_t layerId,
                                              uint32_t layerNumber) {
    auto player = std::make_shared<SimPlayer>(options);
    players.push_back(player);
    tarsel::InputSourceItem item;
    item.sharedPlayer = player;
    item.name = options.name;
    item.layerNumber = layerNumber;
    item.scaleKey = options.name;
    item.tapEnabled = true;
    item.placements.push_back(tarsel::InputSourceEntry{layerId, 0.f, 0.f, 1920.f, 1080.f});
    addItem(cardText, std::move(item));
    return player;
}

}  // namespace qorva::sim
