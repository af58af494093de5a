#include "qorvasim/picture.h"

#include <algorithm>
#include <array>
#include <vector>

#include <stb/stb_easy_font.h>

namespace qorva::sim {

namespace {

using zq::mediacore::STAVFrame;

// A vertex as stb_easy_font writes it; a character is made of quads of four.
struct FontVertex {
    float x, y, z;
    unsigned char rgba[4];
};
constexpr size_t kVerticesPerChar = 4 * 30;  // ample: the font's average is about 17 quads

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

std::shared_ptr<STAVFrame> boxScale(const STAVFrame& source, int32_t width, int32_t height) {
    auto out = std::make_shared<STAVFrame>();
    out->width = std::max(0, width);
    out->height = std::max(0, height);
    out->pixels.assign(static_cast<size_t>(out->width) * out->height, 0);
    if (source.width <= 0 || source.height <= 0) return out;
    for (int32_t y = 0; y < out->height; ++y) {
        const int32_t sy0 = y * source.height / out->height;
        const int32_t sy1 = std::max(sy0 + 1, (y + 1) * source.height / out->height);
        for (int32_t x = 0; x < out->width; ++x) {
            const int32_t sx0 = x * source.width / out->width;
            const int32_t sx1 = std::max(sx0 + 1, (x + 1) * source.width / out->width);
            std::array<uint64_t, 4> sum{};
            for (int32_t sy = sy0; sy < sy1; ++sy)
                for (int32_t sx = sx0; sx < sx1; ++sx) {
                    const uint32_t p = source.pixels[static_cast<size_t>(sy) * source.width + sx];
                    for (int c = 0; c < 4; ++c) sum[c] += (p >> (8 * c)) & 0xFFu;
                }
            const uint64_t n = static_cast<uint64_t>(sy1 - sy0) * (sx1 - sx0);
            uint32_t p = 0;
            for (int c = 0; c < 4; ++c) p |= static_cast<uint32_t>(sum[c] / n) << (8 * c);
            out->pixels[static_cast<size_t>(y) * out->width + x] = p;
        }
    }
    return out;
}

}  // namespace qorva::sim
