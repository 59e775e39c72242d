#include "platform/dpi_scale.h"

#include <gtest/gtest.h>

namespace {

using platform::FontHeightAtDpi;
using platform::MulDivRounded;
using platform::Scale;

TEST(DpiScale, MulDivRoundsAsTheSystemDoes) {
    EXPECT_EQ(MulDivRounded(11, 72, 96), 8);
    EXPECT_EQ(MulDivRounded(3, 1, 2), 2); // a half rounds away from zero
    EXPECT_EQ(MulDivRounded(-3, 1, 2), -2);
    EXPECT_EQ(MulDivRounded(3, 1, -2), -2);
    EXPECT_EQ(MulDivRounded(5, 7, 0), -1);                  // no divisor
    EXPECT_EQ(MulDivRounded(0x7FFFFFFF, 4, 2), -1);         // too large
    EXPECT_EQ(MulDivRounded(0x7FFFFFFF, 2, 2), 0x7FFFFFFF); // the product may pass 32 bits
}

// Sizes given for 96 dpi stay exact there and follow the scale elsewhere, halves rounded away from zero.
TEST(DpiScale, SizesFollowTheScaleAndStayExactAt96) {
    struct Row {
        int value, dpi, expected;
    };
    const Row rows[] = {
        {32, 96, 32},    {200, 96, 200}, {3, 96, 3},      // unchanged at 100 %
        {32, 120, 40},   {32, 144, 48},  {32, 192, 64},   // the icon column
        {200, 144, 300}, {3, 120, 4},    {3, 144, 5},     // 3.75 and 4.5 round up
        {16, 168, 28},   {1, 144, 2},    {-16, 144, -24}, // a negative length keeps its sign
    };
    for (const Row& r : rows)
        EXPECT_EQ(Scale(r.value, r.dpi), r.expected) << r.value << " at " << r.dpi;
}

// A font made from a template's point size at one scale is made at another as the dialog manager would
// make it there (-MulDiv(points, dpi, 72)), also on the way back.
TEST(DpiScale, FontHeightsGoThroughWholePoints) {
    struct Row {
        int height, from, to, expected;
    };
    const Row rows[] = {
        {-11, 96, 144, -16}, // 8 pt: not -17, which scaling the pixels would give
        {-11, 96, 192, -21}, {-11, 96, 120, -13}, {-16, 144, 96, -11},
        {-21, 192, 96, -11}, {-12, 96, 144, -18}, // 9 pt
        {12, 96, 144, 18},                        // a cell height keeps its sign
        {-11, 96, 96, -11},  {-11, 0, 144, -11},  // nothing to convert from
    };
    for (const Row& r : rows)
        EXPECT_EQ(FontHeightAtDpi(r.height, r.from, r.to), r.expected)
            << r.height << " from " << r.from << " to " << r.to;
}

} // namespace
