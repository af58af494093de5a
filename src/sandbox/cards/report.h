#pragma once
// What a run of the cards saw: a table per card and one per layer, the input sources,
// the editing script, and the tiles of the contact sheet.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "cards.h"
#include "contactsheet.h"
#include "editing.h"
#include "inputs.h"
#include "taps.h"

namespace sandbox {

struct CardRow {
    std::string card;
    std::string driver;  // "frame sync" or "own thread"
    uint64_t passes = 0;
    double passesPerSecond = 0.0;
    uint64_t missedVBlanks = 0;
    uint64_t taps = 0;
    uint64_t textures = 0;  // sent to the virtual sender manager
};

struct LayerRow {
    std::string card;
    uint64_t id = 0;
    std::string name;
    std::string kind;
    uint64_t frames = 0;    // made by the layer's player
    uint64_t toLayout = 0;  // records handed to the layout manager
    LayerTaps taps;
};

struct Report {
    double seconds = 0.0;
    std::vector<CardRow> cards;
    std::vector<LayerRow> layers;
    InputsReport inputs;
    EditingReport editing;
    std::string frameSyncMissing;        // why no card was driven by frame sync, empty when one could be
    std::map<uint64_t, LayerTaps> taps;  // every tapped layer and input placement
};

// The card and layer tables of a run of `seconds`, from what the host and the tap
// recorded; `hostLayers` are on no card.
Report collectReport(qorva::sim::SimHost& host, const std::vector<Card>& cards, const std::vector<Layer>& hostLayers,
                     const TapRecorder& taps, double seconds);

void printReport(const Report& report);
// One tile per tapped layer and input, in id order.
std::vector<Tile> contactSheetTiles(const Report& report);

}  // namespace sandbox
