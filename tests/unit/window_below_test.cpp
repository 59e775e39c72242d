#include "frame/window_below.h"

#include <gtest/gtest.h>

namespace {

using frame::WindowBelow;
using platform::Rect;

WindowBelow Shown(const Rect& bounds) {
    WindowBelow w;
    w.bounds = bounds;
    w.client = bounds;
    w.shown = true;
    return w;
}

TEST(WindowBelow, TakesTheTopmostOtherWindowUnderThePoint) {
    std::vector<WindowBelow> topDown(7, Shown({0, 0, 800, 600}));
    topDown[0].ours = true;         // the frame itself
    topDown[1].shown = false;       // hidden, minimised or cloaked
    topDown[2].clickThrough = true; // an overlay the pointer passes through
    topDown[3].bounds = {500, 0, 800, 600};
    topDown[5].bounds = {0, 0, 100, 100};
    topDown[6].desktop = true;
    EXPECT_EQ(frame::PickWindowBelow(topDown, 300, 200), 4u);
    EXPECT_EQ(frame::PickWindowBelow(topDown, 500, 0), 3u);
    EXPECT_EQ(frame::PickWindowBelow(topDown, 800, 200), std::nullopt); // right edges are outside
    topDown[4].shown = false;
    EXPECT_EQ(frame::PickWindowBelow(topDown, 300, 200), std::nullopt); // only the desktop is left
}

TEST(WindowBelow, InnerAreaIsTheClientClippedAndHeldToTheFramesSizes) {
    frame::Desktop desktop;
    desktop.monitors = {{0, 0, 1280, 1024}, {-1024, 0, 0, 768}};
    desktop.smallestClient = {120, 40};
    desktop.largestClient = {2304, 1000};
    const struct {
        Rect client;
        std::optional<Rect> inner;
    } rows[] = {
        {{100, 80, 740, 560}, Rect{100, 80, 740, 560}},
        {{-1100, -20, -900, 300}, Rect{-1024, 0, -900, 300}},     // clipped to the virtual screen
        {{-200, 100, 300, 400}, Rect{-200, 100, 300, 400}},       // across the monitors' boundary
        {{1200, 1000, 1300, 1100}, Rect{1200, 1000, 1320, 1040}}, // too small: grows from its corner
        {{0, 0, 1280, 1024}, Rect{0, 0, 1280, 1000}},             // too high for the frame
        {{1300, 0, 1500, 100}, std::nullopt},                     // beyond every monitor
        {{10, 10, 10, 50}, std::nullopt},                         // empty
    };
    for (const auto& row : rows) {
        const std::optional<Rect> inner = frame::FitInnerAreaTo(row.client, desktop);
        ASSERT_EQ(inner.has_value(), row.inner.has_value()) << row.client.left << "," << row.client.top;
        if (inner) {
            EXPECT_EQ(*inner, *row.inner) << row.client.left << "," << row.client.top;
        }
    }
}

// Where the monitors' scales are known, the fitted area keeps to the sizes the frame may have on the
// monitor it lands on, not to those where the frame stands now.
TEST(WindowBelow, InnerAreaKeepsToTheSizesOfTheMonitorItLandsOn) {
    frame::Desktop desktop;
    desktop.monitors = {{0, 0, 1280, 1024}, {-1024, 0, 0, 768}};
    desktop.smallestClient = {120, 40};
    desktop.largestClient = {2304, 1000};
    desktop.scales = {{{0, 0, 1280, 1024}, 96, {8, 31, 8, 8}, {120, 40}, {2304, 1000}},
                      {{-1024, 0, 0, 768}, 192, {16, 62, 16, 16}, {240, 80}, {2270, 700}}};
    EXPECT_EQ(frame::FitInnerAreaTo({-1024, 0, 0, 768}, desktop), (Rect{-1024, 0, 0, 700}));
    EXPECT_EQ(frame::FitInnerAreaTo({-500, 100, -400, 150}, desktop), (Rect{-500, 100, -260, 180}));
    EXPECT_EQ(frame::FitInnerAreaTo({0, 0, 1280, 1024}, desktop), (Rect{0, 0, 1280, 1000}));
}

} // namespace
