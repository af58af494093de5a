#pragma once
// Pictures of the simulated host: a moving test pattern, text and a scaler.
// A pixel holds red in its low byte and alpha in its high byte (R, G, B, A in memory).
#include <cstdint>
#include <memory>
#include <string>

#include "qorvahost/zqmediacore.h"

namespace qorva::sim {

// The height of a line of text at scale 1, in pixels.
inline constexpr int32_t kTextLineHeight = 12;

// A test pattern in the player's colour with a bar that moves with the frame number,
// the frame number and the label written into it.
std::shared_ptr<zq::mediacore::STAVFrame> makeTestPattern(int32_t width, int32_t height, uint64_t frameNumber,
                                                          uint32_t rgba, const std::string& label);

// Writes `text` into `frame` with its top left at (x, y) in stb_easy_font's bitmap
// font, each font pixel a square of `scale` pixels; characters other than printable
// ASCII show as '?'.
void drawText(zq::mediacore::STAVFrame& frame, int32_t x, int32_t y, int32_t scale, const std::string& text,
              uint32_t rgba);

// `source` scaled to width x height by stb_image_resize (its default filters).
std::shared_ptr<zq::mediacore::STAVFrame> scalePicture(const zq::mediacore::STAVFrame& source, int32_t width,
                                                       int32_t height);

}  // namespace qorva::sim
