#pragma once
// Pictures of the simulated host: a moving test pattern and a box-filter scaler.
#include <cstdint>
#include <memory>
#include <string>

#include "qorvahost/zqmediacore.h"

namespace qorva::sim {

// A test pattern in the player's colour with a bar that moves with the frame number,
// the frame number and the label written into it.
std::shared_ptr<zq::mediacore::STAVFrame> makeTestPattern(int32_t width, int32_t height, uint64_t frameNumber,
                                                          uint32_t rgba, const std::string& label);

// `source` scaled to width x height, each target pixel the mean of its source box.
std::shared_ptr<zq::mediacore::STAVFrame> boxScale(const zq::mediacore::STAVFrame& source, int32_t width,
                                                   int32_t height);

}  // namespace qorva::sim
