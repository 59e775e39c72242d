#include "platform/pixels.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using platform::ResampleByArea;

std::uint32_t Argb(unsigned a, unsigned r, unsigned g, unsigned b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

TEST(ResampleByArea, SameSizeGivesThePictureBack) {
    std::vector<std::uint32_t> picture;
    for (unsigned i = 0; i < 12; ++i)
        picture.push_back(Argb(i * 20, i * 10, i * 5, i));
    EXPECT_EQ(ResampleByArea(picture.data(), 4, 3, 4, 3), picture);
}

// Halving averages each 2 x 2 block, every channel alike; a transparent pixel beside an opaque one gives a
// half-transparent pixel of the opaque one's colour, with no dark fringe.
TEST(ResampleByArea, HalvingAveragesBlocks) {
    const std::vector<std::uint32_t> picture = {
        Argb(255, 200, 0, 0), Argb(0, 0, 0, 0), Argb(255, 10, 20, 30), Argb(255, 30, 40, 50),
        Argb(255, 200, 0, 0), Argb(0, 0, 0, 0), Argb(255, 10, 20, 30), Argb(255, 30, 40, 50),
    };
    const std::vector<std::uint32_t> half = ResampleByArea(picture.data(), 4, 2, 2, 1);
    ASSERT_EQ(half.size(), 2u);
    EXPECT_EQ(half[0], Argb(128, 100, 0, 0)); // premultiplied: straight colour 200, 0, 0 at half alpha
    EXPECT_EQ(half[1], Argb(255, 20, 30, 40));
}

// 48 to 40 pixels (120 dpi from the 48-pixel image): every channel stays no larger than the alpha, a flat
// band stays flat and the picture keeps its total coverage.
TEST(ResampleByArea, UnevenRatioKeepsCoverageAndPremultiplication) {
    const int from = 48, to = 40;
    std::vector<std::uint32_t> picture;
    long long coverageBefore = 0;
    for (int y = 0; y < from; ++y)
        for (int x = 0; x < from; ++x) {
            const unsigned a = y < 12 ? 255 : (x / 3 + y / 5) % 2 ? 255 : (x * 5 + y) % 256;
            picture.push_back(y < 12 ? Argb(255, 40, 80, 120) : Argb(a, a * 3 / 4, a / 2, a / 5));
            coverageBefore += a;
        }
    const std::vector<std::uint32_t> scaled = ResampleByArea(picture.data(), from, from, to, to);
    ASSERT_EQ(scaled.size(), static_cast<size_t>(to) * to);
    long long coverageAfter = 0;
    for (int y = 0; y < to; ++y)
        for (int x = 0; x < to; ++x) {
            const std::uint32_t p = scaled[static_cast<size_t>(y) * to + x];
            const unsigned a = p >> 24;
            coverageAfter += a;
            EXPECT_LE((p >> 16) & 0xFF, a);
            EXPECT_LE((p >> 8) & 0xFF, a);
            EXPECT_LE(p & 0xFF, a);
            if (y < 10) { // rows wholly inside the band (its 12 rows become 10)
                EXPECT_EQ(p, Argb(255, 40, 80, 120)) << x << "," << y;
            }
        }
    // Each new pixel stands for (48/40)^2 old ones; rounding moves the total by under half a unit a pixel.
    EXPECT_NEAR(static_cast<double>(coverageAfter) * 36 / 25, static_cast<double>(coverageBefore), to * to);
}

TEST(ResampleByArea, NothingForEmptySizes) {
    const std::uint32_t one = Argb(255, 1, 2, 3);
    EXPECT_TRUE(ResampleByArea(&one, 1, 1, 0, 5).empty());
    EXPECT_TRUE(ResampleByArea(nullptr, 1, 1, 1, 1).empty());
    EXPECT_EQ(ResampleByArea(&one, 1, 1, 3, 2), std::vector<std::uint32_t>(6, one));
}

} // namespace
