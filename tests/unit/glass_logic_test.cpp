#include "panel/glass_logic.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using panel::GlassActions;
using platform::Rect;

// Every row of the look's state table: which flags the panel holds, what the composition says, what
// happens.
TEST(GlassMode, FollowsTheStateTable) {
    struct Row {
        bool glass;
        bool subclassed;
        GlassActions expected;
    };
    const Row rows[] = {
        {true, false, {true, true, false}},   // plain -> glass: margins, attach
        {true, true, {true, false, false}},   // glass, still on: margins again, no second attach
        {false, true, {false, false, true}},  // glass -> plain: detach, margins left alone
        {false, false, {false, false, false}} // plain, still off: only the repaint
    };
    for (const Row& row : rows)
        EXPECT_EQ(panel::PlanGlassMode(row.glass, row.subclassed), row.expected)
            << "glass " << row.glass << " subclassed " << row.subclassed;
}

TEST(GlassMode, CheckLabelSitsRightOfTheBoxCentredDown) {
    EXPECT_EQ(panel::CheckLabelRect(Rect{0, 0, 60, 16}, 40, 13), (Rect{16, 2, 56, 15}));
    // A control lower than its text: -3 / 2 truncates to -1, so the label starts at the top.
    EXPECT_EQ(panel::CheckLabelRect(Rect{0, 0, 60, 10}, 40, 13), (Rect{16, 0, 56, 13}));
}

// The glow around the check box's label is the panel font's character height in points.
TEST(GlassMode, GlowSizeIsTheFontHeightInPoints) {
    EXPECT_EQ(panel::PixelsToPointsAt(11, 96), 8); // 8-point panel font at 96 dpi: 11 * 72 / 96 = 8.25
    EXPECT_EQ(panel::PixelsToPointsAt(16, 144), 8);
    EXPECT_EQ(panel::PixelsToPointsAt(13, 96), 10); // 9.75 rounds up
}

// At larger scales the box column, the label's offset, the glow and the opaque band of the push buttons
// grow in proportion, and stay as they were at 96 dpi.
TEST(GlassMode, CheckLabelGlowAndBandFollowTheScale) {
    EXPECT_EQ(panel::CheckLabelRect(Rect{0, 0, 120, 28}, 94, 22, 192), (Rect{32, 5, 126, 27}));
    EXPECT_EQ(panel::CheckLabelRect(Rect{0, 0, 100, 21}, 70, 17, 144), (Rect{24, 4, 94, 21}));
    EXPECT_EQ(panel::CheckLabelRect(Rect{0, 0, 60, 16}, 40, 13, 96), (Rect{16, 2, 56, 15}));
    // The 8-point panel font: 11 pixels at 96 dpi, 16 at 144, 21 at 192.
    EXPECT_EQ(panel::GlowSizeAt(11, 96), 8);
    EXPECT_EQ(panel::GlowSizeAt(16, 144), 12);
    EXPECT_EQ(panel::GlowSizeAt(21, 192), 16);
    EXPECT_EQ(panel::OpaqueBandAt(96), 3);
    EXPECT_EQ(panel::OpaqueBandAt(144), 5);
    EXPECT_EQ(panel::OpaqueBandAt(192), 6);
}

struct Buffer {
    int w, h;
    std::vector<std::uint32_t> pixels;
    Buffer(int width, int height, std::uint32_t fill) : w(width), h(height), pixels(width * height, fill) {}
    platform::PixelView view() { return {pixels.data(), w, h, w}; }
    std::uint32_t at(int x, int y) const { return pixels[y * w + x]; }
};

TEST(GlassMode, AlphaIsSetInsideTheAreaOnly) {
    Buffer b(10, 8, 0x00808080);
    platform::SetAlpha(b.view(), Rect{3, 3, 7, 5}, 255);
    EXPECT_EQ(b.at(3, 3), 0xFF808080u);
    EXPECT_EQ(b.at(6, 4), 0xFF808080u);
    EXPECT_EQ(b.at(2, 3), 0x00808080u);
    EXPECT_EQ(b.at(7, 4), 0x00808080u);
    EXPECT_EQ(b.at(3, 5), 0x00808080u);
    EXPECT_TRUE(platform::AnyAlpha(b.view(), Rect{0, 0, 4, 4}));
    EXPECT_FALSE(platform::AnyAlpha(b.view(), Rect{0, 0, 3, 8}));
    // Areas reaching outside the buffer are clipped, not written past its end.
    platform::SetAlpha(b.view(), Rect{-5, -5, 50, 50}, 255);
    EXPECT_EQ(b.at(9, 7), 0xFF808080u);
}

// A 3x3 stroke in the middle of a glass-black buffer: opaque text inside, a white halo fading out
// around it, untouched glass far away, and every pixel a valid premultiplied colour.
TEST(GlassMode, GlowingTextIsOpaqueWithAFadingHalo) {
    const int w = 41, h = 21;
    Buffer b(w, h, 0x00000000);
    std::vector<std::uint8_t> coverage(w * h, 0);
    for (int y = 9; y <= 11; ++y)
        for (int x = 19; x <= 21; ++x)
            coverage[y * w + x] = 255;
    panel::DrawGlowingText(b.view(), coverage.data(), 0x102030, 8);

    EXPECT_EQ(b.at(20, 10), 0xFF102030u);
    const std::uint32_t near = b.at(23, 10) >> 24;
    const std::uint32_t farther = b.at(26, 10) >> 24;
    EXPECT_GT(near, 100u);
    EXPECT_LT(farther, near);
    EXPECT_EQ(b.at(0, 0), 0u);
    EXPECT_EQ(b.at(40, 10), 0u);
    for (std::uint32_t p : b.pixels) {
        const std::uint32_t a = p >> 24;
        ASSERT_LE((p >> 16) & 0xFF, a);
        ASSERT_LE((p >> 8) & 0xFF, a);
        ASSERT_LE(p & 0xFF, a);
    }
    // The halo is white: its colour channels equal its alpha.
    EXPECT_EQ(b.at(23, 10) & 0xFF, near);
}

} // namespace
