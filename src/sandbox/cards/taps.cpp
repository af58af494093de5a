#include "taps.h"

namespace sandbox {

qorva::mediadispatch::FrameDataCallBack TapRecorder::callback() {
    return [this](const qorva::MediaInfo& info, const zq::mediacore::IFrame* frame) { record(info.mediaId, frame); };
}

// The frame is valid only during the call; its picture is shared, so keeping it
// costs no copy.
void TapRecorder::record(uint64_t layerId, const zq::mediacore::IFrame* frame) {
    std::shared_ptr<const zq::mediacore::STAVFrame> picture = frame ? frame->kframe() : nullptr;
    std::lock_guard lock(_mutex);
    LayerTaps& layer = _layers[layerId];
    ++layer.count;
    layer.last = std::move(picture);
}

std::map<uint64_t, LayerTaps> TapRecorder::layers() const {
    std::lock_guard lock(_mutex);
    return _layers;
}

uint64_t TapRecorder::count(const std::vector<uint64_t>& layerIds) const {
    std::lock_guard lock(_mutex);
    uint64_t total = 0;
    for (uint64_t id : layerIds) {
        const auto it = _layers.find(id);
        if (it != _layers.end()) total += it->second.count;
    }
    return total;
}

}  // namespace sandbox
