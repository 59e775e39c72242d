#pragma once
// The look of a drawn tooltip as a record of numbers, the choice between the plain and the styled look,
// and the arithmetic of a tip: its text wrapped, its parts laid out, its shape and its place on screen.

#include "platform/dpi_scale.h"
#include "platform/rect.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A colour as the records hold it: 0x00BBGGRR.
constexpr int TipColour(unsigned r, unsigned g, unsigned b) noexcept {
    return static_cast<int>((r & 0xFFu) | ((g & 0xFFu) << 8) | ((b & 0xFFu) << 16));
}

// Colours are 0x00BBGGRR; -1 means the system's tooltip colour (background COLOR_INFOBK, text and
// border COLOR_INFOTEXT).
struct ToolTipParams {
    bool balloon = false;        // drawn and sized by the system as a balloon
    bool drawIcon = true;        // an icon column left of the text
    bool drawDescription = true; // a description under the label
    bool roundedCorners = false; // 4x4 rounded corners, margins 6 across and 4 down instead of 4 and 2
    bool boldLabel = true;       // the label in bold when a description is shown
    bool drawSeparator = true;   // a line between label and description
    bool visualManager = false;  // the look is taken from the display at every show (LookAtShow)
    int maxDescWidth = 200;      // width to which the description is wrapped, at 96 dpi
    int gradientAngle = -1;      // -1 means 90 (top to bottom)
    int fillColour = -1;         // background
    int fillGradientColour = -1; // second gradient colour; -1: solid fill
    int textColour = -1;
    int borderColour = -1;
};

// The record a tip is shown with. A record that takes its look from the display gets `styled` on a
// display of more than 8 bits per pixel without high contrast and the default record otherwise; either
// way it keeps asking the display. Any other record is used as it is.
ToolTipParams LookAtShow(const ToolTipParams& own, const ToolTipParams& styled, int bitsPerPixel,
                         bool highContrast) noexcept;

// Colours of a tip with the system's ones filled in (0x00BBGGRR).
struct TipColours {
    unsigned fill = 0;
    unsigned fillGradient = 0; // equal to fill when gradient is false
    bool gradient = false;
    unsigned text = 0;
    unsigned border = 0;
};
TipColours ResolveColours(const ToolTipParams& look, unsigned infoBackground, unsigned infoText) noexcept;

// Where the fill colour sits; the gradient colour is at the opposite side.
enum class GradientStart { Top, Bottom, Left, Right };
// The side nearest to the angle (degrees, 90 = top to bottom; -1 means 90).
GradientStart GradientStartFor(int angle) noexcept;

// A description as stored: every tab becomes four spaces.
std::wstring ExpandTabs(std::wstring_view text);

struct Size {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const Size& a, const Size& b) noexcept { return a.cx == b.cx && a.cy == b.cy; }
};

// One line of wrapped text: characters [start, start + length) and their width without trailing spaces.
struct TextLine {
    std::size_t start = 0;
    std::size_t length = 0;
    int width = 0;
};
// Wraps text at maxWidth given the advance width of each character. Lines break after spaces and
// between characters of scripts written without spaces (Japanese), never inside a word of letters
// and digits unless the word alone is too wide, never before closing punctuation or after opening
// brackets, and always at '\n'. A character wider than maxWidth gets a line of its own.
std::vector<TextLine> WrapText(std::wstring_view text, const std::vector<int>& advances, int maxWidth);
// The box the lines fill, each lineHeight high.
Size WrappedSize(const std::vector<TextLine>& lines, int lineHeight) noexcept;

// Inner margins between the border and the content, at the display scale dpi.
struct TipMargins {
    int across = 0;
    int down = 0;
};
TipMargins MarginsOf(const ToolTipParams& look, int dpi = kDefaultDpi) noexcept;

// The parts of a tip in its own coordinates (0, 0 at the window's top-left corner).
struct TipLayout {
    Size size;        // the whole window
    Rect icon;        // the icon column: the icon's size at the content's top-left corner
    Rect label;       // one line
    Rect separator;   // 1 pixel high; empty when none is drawn
    Rect description; // empty when none is shown
};
// icon is (0, 0) for no icon column, description (0, 0) for no description; the margins are those of dpi.
TipLayout LayoutTip(const ToolTipParams& look, Size icon, Size label, Size description,
                    int dpi = kDefaultDpi) noexcept;

// The window's shape as rows of rectangles, and the border following its edge, 1 pixel wide. A rounded tip
// has corners 4 pixels across at 96 dpi, larger in proportion at larger scales: at 96 it loses two pixels at
// each corner of its first and last rows and one of its second and second-last.
std::vector<Rect> TipShape(Size size, bool rounded, int dpi = kDefaultDpi);
std::vector<Rect> TipBorder(Size size, bool rounded, int dpi = kDefaultDpi);

// Where the tip goes: its top-left corner below the pointer's hot spot by cursorHeight, moved left to end
// at the work area's right edge, above the pointer when it would pass the bottom edge, and never beyond
// the left or top edge.
Rect PlaceTip(int cursorX, int cursorY, Size tip, const Rect& workArea, int cursorHeight) noexcept;

} // namespace platform
