#include "panel/panel_layout.h"

#include <gtest/gtest.h>

namespace {

using panel::PanelLayout;
using platform::Rect;

constexpr int kRightPos = 1006;

// The panel as the dialog manager lays out its template at 96 dpi: four push buttons the panel's width,
// each overlapping the next by a pixel or so, and the Right Pos box below them.
PanelLayout MadeAt96() {
    return {75,
            129,
            {{1003, {0, 0, 75, 24}},
             {1002, {0, 23, 75, 47}},
             {1004, {0, 47, 75, 71}},
             {1005, {0, 70, 75, 94}},
             {kRightPos, {2, 97, 72, 112}}}};
}

TEST(PanelLayout, ScalesEveryEdgeAndComesBackExactly) {
    const PanelLayout made = MadeAt96();
    EXPECT_EQ(panel::ScaleLayout(made, 96, 96), made);
    for (int dpi : {120, 144, 168, 192}) {
        SCOPED_TRACE(dpi);
        const PanelLayout scaled = panel::ScaleLayout(made, 96, dpi);
        EXPECT_EQ(scaled.clientWidth, (75 * dpi + 48) / 96);
        // The buttons still reach the panel's right edge and still overlap or touch the one below.
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(scaled.controls[i].rect.right, scaled.clientWidth);
            if (i > 0) {
                EXPECT_LE(scaled.controls[i].rect.top, scaled.controls[i - 1].rect.bottom);
            }
        }
        EXPECT_EQ(scaled.controls[4].rect.top, (97 * dpi + 48) / 96);
        EXPECT_EQ(panel::ScaleLayout(scaled, dpi, 96), made);
    }
}

TEST(PanelLayout, RightPosGrowsOnlyWhereItsLabelIsCutOff) {
    const PanelLayout made = MadeAt96();
    // Wide enough at 96 dpi (the control is 70 pixels wide): the layout stays exactly as it was made.
    EXPECT_EQ(panel::WidenToFit(made, kRightPos, 67), made);
    EXPECT_EQ(panel::WidenToFit(made, kRightPos, 70), made);
    EXPECT_EQ(panel::WidenToFit(made, 4242, 500), made);

    // Too narrow: the box grows to the right, the panel grows to leave as much room right of it as left of
    // it, and the buttons that spanned the panel span the wider one; nothing else moves.
    const PanelLayout wide = panel::WidenToFit(made, kRightPos, 80);
    EXPECT_EQ(wide.controls[4].rect, (Rect{2, 97, 82, 112}));
    EXPECT_EQ(wide.clientWidth, 84);
    EXPECT_EQ(wide.clientHeight, 129);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(wide.controls[i].rect.right, 84);
        EXPECT_EQ(wide.controls[i].rect.left, made.controls[i].rect.left);
        EXPECT_EQ(wide.controls[i].rect.top, made.controls[i].rect.top);
        EXPECT_EQ(wide.controls[i].rect.bottom, made.controls[i].rect.bottom);
    }

    // A box with room beside it within the panel grows into that room alone; one pixel more than the room
    // allows widens the panel by that pixel.
    PanelLayout roomy = made;
    roomy.controls[4].rect.right = 50;
    const PanelLayout grown = panel::WidenToFit(roomy, kRightPos, 60);
    EXPECT_EQ(grown.controls[4].rect.right, 62);
    EXPECT_EQ(grown.clientWidth, 75);
    EXPECT_EQ(grown.controls[0].rect.right, 75);
    EXPECT_EQ(panel::WidenToFit(made, kRightPos, 71).clientWidth, 75);
    EXPECT_EQ(panel::WidenToFit(made, kRightPos, 72).clientWidth, 76);
}

} // namespace
