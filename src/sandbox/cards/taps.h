#pragma once
// The frame data taps of a run: how many frames each layer delivered and the picture
// of the last one. Called from the render threads, the frame sync thread and the
// input source thread at once.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "qorvarenderctrl/irenderctrl.h"

namespace sandbox {

struct LayerTaps {
    uint64_t count = 0;
    std::shared_ptr<const zq::mediacore::STAVFrame> last;  // the last tapped picture
};

class TapRecorder {
public:
    // The tap to hand to the manager and the input source controller.
    qorva::mediadispatch::FrameDataCallBack callback();

    std::map<uint64_t, LayerTaps> layers() const;  // by layer (or placement) id
    uint64_t count(const std::vector<uint64_t>& layerIds) const;

private:
    void record(uint64_t layerId, const zq::mediacore::IFrame* frame);

    mutable std::mutex _mutex;
    std::map<uint64_t, LayerTaps> _layers;
};

}  // namespace sandbox
