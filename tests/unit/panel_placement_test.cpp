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

namespace {

using frame::PlacePanelReachable;

const std::vector<Rect> kOneScreen{Rect{0, 0, 2560, 1600}};

struct Reachable {
    const char* name;
    std::vector<Rect> monitors;
    Rect frame;
    bool right;
    int x, y; // where the panel's window goes
};

void ExpectPlacements(const Reachable* rows, size_t count, const Rect& bounds, const Rect& window) {
    for (size_t i = 0; i < count; ++i) {
        const Reachable& row = rows[i];
        const auto p = PlacePanelReachable(row.frame, bounds, window, row.right, row.monitors);
        EXPECT_EQ(p.x, row.x) << row.name;
        EXPECT_EQ(p.y, row.y) << row.name;
        EXPECT_EQ(p.width, window.Width()) << row.name;
        EXPECT_EQ(p.height, window.Height()) << row.name;
    }
}

TEST(PanelPlacement, StaysWhereItCanBeUsed) {
    const Rect panel{0, 0, 80, 180};
    const std::vector<Rect> sideBySide{Rect{0, 0, 1920, 1080}, Rect{1920, 0, 3840, 1080}};
    const std::vector<Rect> stacked{Rect{0, 0, 1920, 1080}, Rect{0, 1080, 1920, 2160}};
    const std::vector<Rect> shorterRight{Rect{0, 0, 1920, 1080}, Rect{1920, 0, 3000, 600}};
    const Reachable rows[] = {
        {"inside: docked as ever", kOneScreen, {400, 300, 900, 700}, true, 900, 300},
        {"inside, left", kOneScreen, {400, 300, 900, 700}, false, 320, 300},
        {"touching the right edge exactly", kOneScreen, {2000, 300, 2480, 700}, true, 2480, 300},
        {"at the right edge: flips left", kOneScreen, {2300, 900, 2750, 1250}, true, 2220, 900},
        {"at the left edge, docked left: flips right", kOneScreen, {-50, 100, 400, 400}, false, 400, 100},
        {"past the top edge: slides down", kOneScreen, {500, -300, 900, 100}, true, 900, 0},
        {"past the bottom edge: slides up", kOneScreen, {500, 1500, 900, 1900}, true, 900, 1420},
        {"top right corner: flips and slides", kOneScreen, {2300, -300, 2700, 100}, false, 2220, 0},
        {"no room either side: slides across", kOneScreen, {-100, 100, 2700, 500}, true, 2480, 100},
        {"across two monitors side by side", sideBySide, {1500, 100, 1900, 400}, true, 1900, 100},
        {"across two stacked monitors", stacked, {500, 1000, 900, 1100}, true, 900, 1000},
        {"partly beside a shorter monitor: flips", shorterRight, {1500, 500, 1900, 900}, true, 1420, 500},
        {"no monitors known: plain docking", {}, {2300, -300, 2700, 100}, true, 2700, -300},
    };
    ExpectPlacements(rows, std::size(rows), panel, panel);
}

TEST(PanelPlacement, FlipAndSlideKeepTheVisibleEdgesTouching) {
    const Rect bounds{0, 0, 80, 180};
    const Rect window{-7, 0, 87, 187};
    const Reachable rows[] = {
        // Visible left edge on the frame's right edge: window at 900 - 7.
        {"inside", kOneScreen, {400, 300, 900, 700}, true, 893, 300},
        // Flipped: the visible right edge on the frame's left edge, 2300.
        {"flipped", kOneScreen, {2300, 300, 2750, 700}, true, 2300 - 80 - 7, 300},
        {"slid down", kOneScreen, {500, -300, 900, 100}, true, 893, 0},
    };
    ExpectPlacements(rows, std::size(rows), bounds, window);
}

TEST(PanelPlacement, CoverageByMonitors) {
    const std::vector<Rect> lShape{Rect{0, 0, 1000, 1000}, Rect{1000, 500, 2000, 1000}};
    EXPECT_TRUE(frame::CoveredByMonitors({900, 600, 1100, 700}, lShape));
    EXPECT_FALSE(frame::CoveredByMonitors({900, 400, 1100, 700}, lShape)); // the corner above the second
    EXPECT_TRUE(frame::CoveredByMonitors({5, 5, 5, 50}, {}));              // empty
    EXPECT_FALSE(frame::CoveredByMonitors({5, 5, 10, 50}, {}));
}

} // namespace
