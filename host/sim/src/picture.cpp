#include "qorvasim/picture.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace qorva::sim {

namespace {

using zq::mediacore::STAVFrame;

// 3x5 glyphs, one row per 3 bits from the top bit down, for digits, upper-case
// letters and a few signs; anything else is blank.
uint16_t glyph(char c) {
    static const std::array<uint16_t, 10> digits = {0x7B6F, 0x2C97, 0x73E7, 0x73CF, 0x5BC9,
                                                    0x79CF, 0x79EF, 0x7249, 0x7BEF, 0x7BCF};
    static const std::array<uint16_t, 26> letters = {
        0x2BED, 0x6BAE, 0x7927, 0x6B6E, 0x79E7, 0x79E4, 0x796F, 0x5BED, 0x7497, 0x126A, 0x5BAD, 0x4927, 0x5FED,
        0x6B6D, 0x2B6A, 0x6BA4, 0x2B73, 0x6BAD, 0x388E, 0x7492, 0x5B6F, 0x5B6A, 0x5BFD, 0x5AAD, 0x5A92, 0x72A7};
    const auto u = static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(c)));
    if (u >= '0' && u <= '9') return digits[u - '0'];
    if (u >= 'A' && u <= 'Z') return letters[u - 'A'];
    switch (u) {
        case '-':
        case '_':
            return 0x01C0;
        case '#':
            return 0x5F7D;
        case '(':
            return 0x2922;
        case ')':
            return 0x224A;
        case ':':
            return 0x0410;
        case '.':
            return 0x0002;
        case '/':
            return 0x12A4;
        default:
            return 0;
    }
}

void fillRect(STAVFrame& f, int32_t x0, int32_t y0, int32_t w, int32_t h, uint32_t rgba) {
    for (int32_t y = std::max(0, y0); y < std::min(f.height, y0 + h); ++y)
        for (int32_t x = std::max(0, x0); x < std::min(f.width, x0 + w); ++x)
            f.pixels[static_cast<size_t>(y) * f.width + x] = rgba;
}

}  // namespace

void drawText(STAVFrame& f, int32_t x, int32_t y, int32_t scale, const std::string& text, uint32_t rgba) {
    for (char c : text) {
        const uint16_t bits = glyph(c);
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 3; ++col)
                if (bits & (1u << (14 - row * 3 - col)))
                    fillRect(f, x + col * scale, y + row * scale, scale, scale, rgba);
        x += 4 * scale;
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
    const int32_t scale = std::max(1, height / 40);
    fillRect(*f, 0, 0, width, 13 * scale, 0xFF000000u);
    drawText(*f, scale, scale, scale, label, 0xFFFFFFFFu);
    drawText(*f, scale, 7 * scale, scale, "#" + std::to_string(frameNumber), 0xFF00FFFFu);
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
