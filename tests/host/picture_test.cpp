// The simulated host's scaler: tapped frames keep the size asked for and the colour
// of their source.
#include <array>
#include <cstdint>

#include <gtest/gtest.h>

#include "qorvasim/picture.h"

namespace {

using zq::mediacore::STAVFrame;

// A picture whose top left quarter is one colour and the rest another.
STAVFrame quarter(int32_t width, int32_t height) {
    STAVFrame f{width, height, {}};
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            f.pixels.push_back(x < width / 2 && y < height / 2 ? 0xFF2050C0u : 0x80C0A010u);
    return f;
}

std::array<double, 4> meanChannels(const STAVFrame& f) {
    std::array<double, 4> sum{};
    for (uint32_t p : f.pixels)
        for (int c = 0; c < 4; ++c) sum[c] += (p >> (8 * c)) & 0xFFu;
    for (double& s : sum) s /= static_cast<double>(f.pixels.size());
    return sum;
}

TEST(ScalePicture, KeepsSizeAskedForAndMeanColour) {
    struct Case {
        int32_t width, height, toWidth, toHeight;
    };
    for (const Case c : {Case{640, 360, 320, 180}, Case{1920, 1080, 160, 90}, Case{64, 36, 100, 50}}) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " to " << c.toWidth << "x" << c.toHeight);
        const STAVFrame source = quarter(c.width, c.height);
        const auto scaled = qorva::sim::scalePicture(source, c.toWidth, c.toHeight);
        ASSERT_EQ(scaled->width, c.toWidth);
        ASSERT_EQ(scaled->height, c.toHeight);
        ASSERT_EQ(scaled->pixels.size(), static_cast<size_t>(c.toWidth) * c.toHeight);
        const auto expected = meanChannels(source), got = meanChannels(*scaled);
        for (int channel = 0; channel < 4; ++channel) EXPECT_NEAR(got[channel], expected[channel], 1.5) << channel;
    }
}

}  // namespace
