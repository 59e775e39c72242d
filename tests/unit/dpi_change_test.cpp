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

} // namespace
