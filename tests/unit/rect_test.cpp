#include "platform/rect.h"

#include <gtest/gtest.h>

namespace {

using platform::CentreRectIn;
using platform::Rect;

TEST(Centring, CentresOnTheGivenRectangle) {
    const Rect work{0, 0, 1920, 1040};
    EXPECT_EQ(CentreRectIn(work, work, 400, 300), (Rect{760, 370, 1160, 670}));
    // Odd sizes: half the width is truncated before it is taken off the centre.
    EXPECT_EQ(CentreRectIn(work, work, 401, 301), (Rect{760, 370, 1161, 671}));
}

TEST(Centring, PullsBackInsideTheArea) {
    const Rect work{0, 0, 1000, 800};
    // Centred on a window near the bottom-right corner, the box is pulled back in.
    EXPECT_EQ(CentreRectIn(Rect{900, 700, 1000, 800}, work, 300, 200), (Rect{700, 600, 1000, 800}));
    // Larger than the area: the top-left corner stays visible.
    EXPECT_EQ(CentreRectIn(work, work, 1200, 900), (Rect{0, 0, 1200, 900}));
}

TEST(Centring, WorksOnMonitorsLeftOfAndAbovePrimary) {
    const Rect work{-1280, -200, 0, 824};
    EXPECT_EQ(CentreRectIn(work, work, 200, 100), (Rect{-740, 262, -540, 362}));
}

} // namespace
