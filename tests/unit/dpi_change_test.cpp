#include "frame/dpi_change.h"

#include <gtest/gtest.h>

namespace {

using frame::FrameRectAfterDpiChange;
using platform::Rect;

// The frame's non-client sizes at 96 and 144 dpi (a thick frame with a caption).
const Rect kMargins96{8, 31, 8, 8};
const Rect kMargins144{11, 45, 11, 11};

Rect Around(const Rect& client, const Rect& m) {
    return {client.left - m.left, client.top - m.top, client.right + m.right, client.bottom + m.bottom};
}

TEST(FrameDpiChange, ClientAreaKeepsItsSizeAndStaysWhereTheSuggestionAllows) {
    const Rect client{300, 231, 700, 531}; // 400 x 300 pixels
    const Rect window96 = Around(client, kMargins96);
    struct Case {
        const char* name;
        Rect margins, suggested, expected;
    };
    const Case cases[] = {
        // The suggestion covers the frame with room to spare: nothing moves but the frame's edges.
        {"room around the frame", kMargins144, {100, 100, 1000, 800}, Around(client, kMargins144)},
        // The system's usual suggestion for a scale change in place: the old top-left corner and one and a
        // half times the size. The larger frame must start inside it, so the client area moves by the
        // frame's growth on the top and left.
        {"suggestion from the old corner, larger",
         kMargins144,
         {window96.left, window96.top, window96.left + window96.Width() * 3 / 2,
          window96.top + window96.Height() * 3 / 2},
         {window96.left, window96.top, window96.left + 422, window96.top + 356}},
        // Crossing onto a monitor on the right at a smaller scale: the suggestion is smaller than the frame,
        // which covers it, as near to where it was as that allows.
        {"smaller suggestion on the right", kMargins96, {1930, 250, 2190, 470}, {1774, 200, 2190, 539}},
        // The same scale and the present window suggested: the window stays exactly.
        {"no change", kMargins96, window96, window96},
        // Monitors left of and above the primary one.
        {"negative coordinates", kMargins144, {-2000, -900, -1200, -200}, {-1622, -556, -1200, -200}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Rect w = FrameRectAfterDpiChange(client, c.margins, c.suggested);
        EXPECT_EQ(w, c.expected);
        EXPECT_EQ(w.Width() - c.margins.left - c.margins.right, client.Width());
        EXPECT_EQ(w.Height() - c.margins.top - c.margins.bottom, client.Height());
    }
}

// Along each axis the new window lies inside the suggestion or covers it, whichever its size allows, and
// no place nearer to the old one would do.
TEST(FrameDpiChange, WindowFitsTheSuggestionAlongEachAxis) {
    const Rect client{-50, 40, 350, 340};
    for (const Rect& s : {Rect{0, 0, 200, 100}, Rect{-400, 300, 900, 1200}, Rect{500, -700, 520, 720},
                          Rect{-3000, -3000, -2500, -2600}}) {
        const Rect w = FrameRectAfterDpiChange(client, kMargins144, s);
        const bool wideFits = w.Width() <= s.Width();
        EXPECT_TRUE(wideFits ? (w.left >= s.left && w.right <= s.right)
                             : (w.left <= s.left && w.right >= s.right))
            << s.left << "," << s.top;
        const bool tallFits = w.Height() <= s.Height();
        EXPECT_TRUE(tallFits ? (w.top >= s.top && w.bottom <= s.bottom)
                             : (w.top <= s.top && w.bottom >= s.bottom))
            << s.left << "," << s.top;
        // One pixel nearer to the kept place along either axis would break the rule.
        const Rect kept = Around(client, kMargins144);
        if (w.left != kept.left) {
            EXPECT_TRUE(w.left == s.left || w.right == s.right);
        }
        if (w.top != kept.top) {
            EXPECT_TRUE(w.top == s.top || w.bottom == s.bottom);
        }
    }
}

// What the frame answers when the system proposes its window's size at a new scale: the client area keeps its
// size in pixels, whether the system scaled the present window (the frame crossing as it is) or a window of
// another size somebody asked for (a move that resizes it on the way).
TEST(FrameDpiChange, ClientSizeThroughAProposedSize) {
    using frame::ClientSizeThroughScaleChange;
    using frame::Size;
    const Size client{400, 300}, window96{416, 339}; // the borders and caption of kMargins96 around it
    const struct {
        const char* name;
        Size proposed;
        int from, to;
        Size expected;
    } rows[] = {
        {"the present window at 150 %", {624, 509}, 96, 144, client},
        {"... rounded the other way by the system", {625, 508}, 96, 144, client},
        {"the present window at 200 %", {832, 678}, 96, 192, client},
        // A window of 616 x 439 at 96 dpi asked for, proposed at 150 %: its client area is kept.
        {"another window's size at 150 %", {924, 659}, 96, 144, {600, 400}},
        {"another window's size at the same scale", {516, 389}, 96, 96, {500, 350}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ClientSizeThroughScaleChange(row.proposed, window96, client, row.from, row.to),
                  row.expected);
    }
    // From 150 % down to 100 %: the present window of 625 pixels is proposed as 417, which taken back gives
    // 626; the proposal is the present window, so its client area stays to the pixel.
    const Size client144{601, 301}, window144{625, 360};
    EXPECT_EQ(ClientSizeThroughScaleChange({417, 240}, window144, client144, 144, 96), client144);
}

} // namespace
