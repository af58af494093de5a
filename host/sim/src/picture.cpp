#include "qorvasim/picture.h"

#include <algorithm>
#include <vector>

#include <stb/stb_easy_font.h>
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb/stb_image_resize.h>

namespace qorva::sim {

namespace {

using zq::mediacore::STAVFrame;

// A vertex as stb_easy_font writes it; a character is made of quads of four.
struct FontVertex {
    float x, y, z;
    unsigned char rgba[4];
};
constexpr size_t kVerticesPerChar = 4 * 16;  // its largest character has 11 quads

void fillRect(STAVFrame& f, int32_t x0, int32_t y0, int32_t w, int32_t h, uint32_t rgba) {
    for (int32_t y = std::max(0, y0); y < std::min(f.height, y0 + h); ++y)
        for (int32_t x = std::max(0, x0); x < std::min(f.width, x0 + w); ++x)
            f.pixels[static_cast<size_t>(y) * f.width + x] = rgba;
}

}  // namespace

void drawText(STAVFrame& f, int32_t x, int32_t y, int32_t scale, const std::string& text, uint32_t rgba) {
    // The font knows printable ASCII only.
    std::string printable = text;
    std::replace_if(
        printable.begin(), printable.end(), [](char c) { return c < ' ' || c > '~'; }, '?');
    std::vector<FontVertex> vertices(printable.size() * kVerticesPerChar);
    const int quads = stb_easy_font_print(0.f, 0.f, printable.data(), nullptr, vertices.data(),
                                          static_cast<int>(vertices.size() * sizeof(FontVertex)));
    for (int q = 0; q < quads; ++q) {
        const FontVertex& from = vertices[4 * static_cast<size_t>(q)];
        const FontVertex& to = vertices[4 * static_cast<size_t>(q) + 2];  // the opposite corner
        const auto x0 = static_cast<int32_t>(from.x), y0 = static_cast<int32_t>(from.y);
        fillRect(f, x + x0 * scale, y + y0 * scale, (static_cast<int32_t>(to.x) - x0) * scale,
                 (static_cast<int32_t>(to.y) - y0) * scale, rgba);
    }
}

std::shared_ptr<STAVFrame> makeTestPattern(int32_t width, int32_t height, uint64_t frameNumber, uint32_t rgba,
                                           const std::string& label) {
    auto f = std::make_shared<STAVFrame>();
    f->width = width;
    f->height = height;
    f->pixels.assign(static_cast<size_t>(width) * height, rgba);
    const int32_t bar = std::max(4, width / 16);
    const int32_t x = static_cast<int32_t>(frameNumber * 4 % static_cast<uint64_t>(std::max(1, width)));
    fillRect(*f, x, 0, bar, height, 0xFFFFFFFFu);
    const int32_t scale = std::max(1, height / 90);
    fillRect(*f, 0, 0, width, kTextLineHeight * 2 * scale + 2 * scale, 0xFF000000u);
    drawText(*f, 2 * scale, scale, scale, label, 0xFFFFFFFFu);
    drawText(*f, 2 * scale, (kTextLineHeight + 1) * scale, scale, "#" + std::to_string(frameNumber), 0xFF00FFFFu);
    return f;
}

std::shared_ptr<STAVFrame> scalePicture(const STAVFrame& source, int32_t width, int32_t height) {
    auto out = std::make_shared<STAVFrame>();
    out->width = std::max(0, width);
    out->height = std::max(0, height);
    out->pixels.assign(static_cast<size_t>(out->width) * out->height, 0);
    const bool empty = source.width <= 0 || source.height <= 0 || out->pixels.empty() ||
                       source.pixels.size() < static_cast<size_t>(source.width) * source.height;
    if (empty) return out;
    // Each of the four bytes of a pixel is a channel of its own, whatever it holds. The
    // box filter: stb's default filters cost a pass several milliseconds here, and the
    // frame sync thread scales for all of its cards within one blank.
    stbir_resize_uint8_generic(reinterpret_cast<const unsigned char*>(source.pixels.data()), source.width,
                               source.height, source.width * 4, reinterpret_cast<unsigned char*>(out->pixels.data()),
                               out->width, out->height, out->width * 4, 4, STBIR_ALPHA_CHANNEL_NONE, 0,
                               STBIR_EDGE_CLAMP, STBIR_FILTER_BOX, STBIR_COLORSPACE_LINEAR, nullptr);
    return out;
}

}  // namespace qorva::sim
