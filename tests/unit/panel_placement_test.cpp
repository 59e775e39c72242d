#include "frame/panel_placement.h"

#include <gtest/gtest.h>

namespace {

using frame::PlacePanelBeside;
using platform::Rect;

TEST(PanelPlacement, WithoutInvisibleBordersWindowsTouch) {
    const Rect frame{100, 50, 500, 350};
    const Rect panel{0, 0, 80, 180};
    const auto right = PlacePanelBeside(frame, panel, panel, true);
    EXPECT_EQ(right.x, 500);
    EXPECT_EQ(right.y, 50);
    const auto left = PlacePanelBeside(frame, panel, panel, false);
    EXPECT_EQ(left.x + left.width, 100);
    EXPECT_EQ(left.y, 50);
}

TEST(PanelPlacement, InvisibleBordersVisibleEdgesTouch) {
    const Rect frame{100, 50, 500, 350};
    const Rect bounds{0, 0, 80, 180};
    const Rect window{-7, 0, 87, 187};
    const auto right = PlacePanelBeside(frame, bounds, window, true);
    EXPECT_EQ(right.x, 493);
    EXPECT_EQ(right.y, 50);
    const auto left = PlacePanelBeside(frame, bounds, window, false);
    EXPECT_EQ(left.x, 13);
    EXPECT_EQ(left.y, 50);
    // Visible bounds after the move: (500, 50, 580, 230) and (20, 50, 100, 230).
    EXPECT_EQ(right.x - window.left + bounds.left, 500);
    EXPECT_EQ(left.x - window.left + bounds.right, 100);
}

TEST(PanelPlacement, SizeNeverChangesAndNothingIsClampedToTheScreen) {
    const Rect window{-7, 0, 87, 187};
    const Rect bounds{0, 0, 80, 180};
    for (const Rect& frame : {Rect{-3000, -500, -2600, -200}, Rect{2400, 10, 2560, 400}, Rect{0, 0, 0, 0}}) {
        for (bool right : {true, false}) {
            const auto p = PlacePanelBeside(frame, bounds, window, right);
            EXPECT_EQ(p.width, 94);
            EXPECT_EQ(p.height, 187);
            EXPECT_EQ(p.y, frame.top);
            EXPECT_EQ(p.x, right ? frame.right - 7 : frame.left - 80 - 7);
        }
    }
}

} // namespace
