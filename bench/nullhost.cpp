#include "nullhost.h"

#include <string>

namespace qrc::bench {

NullPlayer::NullPlayer() {
    auto picture = std::make_shared<zq::mediacore::STAVFrame>();
    picture->width = 1920;
    picture->height = 1080;
    _frame.attachPicture(std::move(picture));
    _frame.setFps(50);
}

// Names fit the short-string buffer, as a host's short layer names would.
NullHost::NullHost(int players, int placements) {
    for (int p = 0; p < players; ++p) {
        auto player = std::make_shared<NullPlayer>();
        tarsel::InputSourceItem item;
        item.sharedPlayer = player;
        item.name = "player" + std::to_string(p);
        item.layerNumber = static_cast<uint32_t>(p + 1);
        item.scaleKey = item.name;
        item.tapEnabled = true;
        for (int l = 0; l < placements; ++l)
            item.placements.push_back({static_cast<uint64_t>(100 * p + l + 1), 0.f, 0.f, 960.f, 540.f});
        mediaMgr.items.push_back(std::move(item));
        this->players.push_back(std::move(player));
    }
}

}  // namespace qrc::bench
