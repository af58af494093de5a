#pragma once
// What a sandbox run delivered: frame data taps per layer and sender textures per
// card.
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "qorvarenderctrl/qorvarenderctrl.h"
#include "qorvasim/outputs.h"

namespace sandbox {

struct LayerTaps {
    uint64_t count = 0;
    int32_t width = 0;  // of the last tap
    int32_t height = 0;
};

struct TapReport {
    std::map<uint64_t, LayerTaps> layers;  // by layer id
    std::vector<std::pair<std::string, uint64_t>> texturesPerCard;
};

// The output textures of the sandbox's card number `cardIndex`: sender keys of its
// own, and one key without a texture, which the library does not forward.
std::map<uint64_t, uint64_t> cardTextures(size_t cardIndex);

// Counts the frame data taps per layer; the tap is called from the render threads.
class TapCounter {
public:
    // After setRenderFacade: the tap reaches only the controllers that exist.
    void install(qorva::mediadispatch::RenderCtrlMgr& mgr);
    TapReport report(const qorva::sim::SimSenderMgr& senders, const std::vector<std::string>& cards) const;

private:
    mutable std::mutex _mutex;
    std::map<uint64_t, LayerTaps> _layers;
};

void printTaps(const TapReport& report);

}  // namespace sandbox
