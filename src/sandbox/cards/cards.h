#pragma once
// The display cards of the sandbox's host and what is placed on them: synthetic
// players on layers of their own, and a still layer on the last card.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "qorvasim/host.h"

namespace sandbox {

struct Layer {
    uint64_t id = 0;
    std::string name;
    std::string kind;                               // "player" or "still"
    std::shared_ptr<qorva::sim::SimPlayer> player;  // a still layer's is never asked for frames
};

struct Card {
    std::string text;  // "#<index>(<name>)"
    std::shared_ptr<qorva::sim::SimRenderFacade> facade;
    std::map<uint64_t, uint64_t> textures;  // sender key -> texture handle
    std::vector<Layer> layers;

    std::string shortName() const { return text.substr(0, text.find('(')); }
    std::vector<uint64_t> layerIds() const;
};

// Adds the cards to the host, each with `players` players and the last one with a
// still layer too.
std::vector<Card> addCards(qorva::sim::SimHost& host, int cards, int players);

}  // namespace sandbox
