#pragma once
// Pictures of the simulated host: a moving test pattern, text and a box-filter scaler.
// A pixel holds red in its low byte and alpha in its high byte (R, G, B, A in memory).
#include <cstdint>
#include <memory>
#include <string>

#include "qorvahost/zqmediacore.h"

namespace qorva::sim {

// A test pattern in the player's colour with a bar that moves with the frame number,
// the frame number and the label written into it.
std::shared_ptr<zq::mediacore::STAVFrame> makeTestPattern(int32_t width, int32_t height, uint64_t frameNumber,
                                                          uint32_t rgba, const std::string& label);

// Writes `text` into `frame` at (x, y) in a 3x5 glyph font, each glyph pixel a square
// of `scale` pixels and each character 4 * scale wide; letters are upper-cased.
void drawText(zq::mediacore::STAVFrame& frame, int32_t x, int32_t y, int32_t scale, const std::string& text,
              uint32_t rgba);

// `source` scaled to width x height, each target pixel the mean of its source box.
std::shared_ptr<zq::mediacore::STAVFrame> boxScale(const zq::mediacore::STAVFrame& source, int32_t width,
                                                   int32_t height);

}  // namespace qorva::sim
