#include "platform/tooltip_look.h"

#include <algorithm>

namespace platform {

namespace {

// The border is this wide on every side, inside the window.
constexpr int kBorder = 1;

bool IsSpace(wchar_t c) noexcept {
    return c == L' ' || c == L'\x3000';
}

bool IsLowSurrogate(wchar_t c) noexcept {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Letters and digits of scripts that separate words with spaces: a line never breaks between two.
bool IsWordChar(wchar_t c) noexcept {
    return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') ||
           (c >= 0x00C0 && c <= 0x024F && c != 0x00D7 && c != 0x00F7);
}

// Closing punctuation, small kana and the long vowel mark belong to the character before them.
bool NoBreakBefore(wchar_t c) noexcept {
    static constexpr std::wstring_view kClosing = L"、。，．・：；？！ー）」』】〕〉》］｝’”ゝゞヽヾ々"
                                                  L"ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ"
                                                  L",.!?:;)]}%";
    return kClosing.find(c) != std::wstring_view::npos || IsLowSurrogate(c);
}

// Opening brackets belong to the character after them.
bool NoBreakAfter(wchar_t c) noexcept {
    static constexpr std::wstring_view kOpening = L"（「『【〔〈《［｛‘“([{";
    return kOpening.find(c) != std::wstring_view::npos;
}

// True when a line may end just before text[i] (0 < i < text.size()).
bool CanBreakBefore(std::wstring_view text, std::size_t i) noexcept {
    const wchar_t prev = text[i - 1];
    const wchar_t cur = text[i];
    if (IsSpace(cur))
        return false; // spaces stay at the end of the line they follow
    if (IsSpace(prev))
        return true;
    if (NoBreakBefore(cur) || NoBreakAfter(prev))
        return false;
    return !(IsWordChar(prev) && IsWordChar(cur));
}

// The forced break inside [start, overflow]: just before the character that overflowed, moved back
// so that neither a surrogate pair nor closing punctuation is split from what it belongs to, while
// the line keeps at least one character.
std::size_t ForcedBreak(std::wstring_view text, std::size_t start, std::size_t overflow) noexcept {
    std::size_t end = overflow;
    while (end > start + 1 && NoBreakBefore(text[end]))
        --end;
    return end;
}

TextLine MakeLine(std::wstring_view text, const std::vector<int>& advances, std::size_t start,
                  std::size_t end) {
    std::size_t inkEnd = end;
    while (inkEnd > start && IsSpace(text[inkEnd - 1]))
        --inkEnd;
    int width = 0;
    for (std::size_t i = start; i < inkEnd; ++i)
        width += advances[i];
    return {start, inkEnd - start, width};
}

} // namespace

// A palette display or a high-contrast scheme cannot carry the styled colours, so the plain system look
// is used there.
ToolTipParams LookAtShow(const ToolTipParams& own, const ToolTipParams& styled, int bitsPerPixel,
                         bool highContrast) noexcept {
    if (!own.visualManager)
        return own;
    ToolTipParams look = (bitsPerPixel > 8 && !highContrast) ? styled : ToolTipParams{};
    look.visualManager = true;
    return look;
}

TipColours ResolveColours(const ToolTipParams& look, unsigned infoBackground, unsigned infoText) noexcept {
    auto pick = [](int colour, unsigned system) {
        return colour == -1 ? system : static_cast<unsigned>(colour) & 0xFFFFFFu;
    };
    TipColours colours;
    colours.fill = pick(look.fillColour, infoBackground);
    colours.gradient = look.fillGradientColour != -1;
    colours.fillGradient = colours.gradient ? pick(look.fillGradientColour, 0) : colours.fill;
    colours.text = pick(look.textColour, infoText);
    colours.border = pick(look.borderColour, infoText);
    return colours;
}

GradientStart GradientStartFor(int angle) noexcept {
    if (angle == -1)
        return GradientStart::Top;
    const int a = ((angle % 360) + 360) % 360;
    if (a >= 45 && a < 135)
        return GradientStart::Top;
    if (a >= 135 && a < 225)
        return GradientStart::Right;
    if (a >= 225 && a < 315)
        return GradientStart::Bottom;
    return GradientStart::Left;
}

std::wstring ExpandTabs(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        if (c == L'\t')
            out.append(4, L' ');
        else
            out.push_back(c);
    }
    return out;
}

std::vector<TextLine> WrapText(std::wstring_view text, const std::vector<int>& advances, int maxWidth) {
    std::vector<TextLine> lines;
    const std::size_t n = std::min(text.size(), advances.size());
    std::size_t start = 0;
    while (start < n) {
        std::size_t end = n;  // where this line ends
        std::size_t next = n; // where the next one starts
        std::size_t lastBreak = 0;
        int width = 0;
        for (std::size_t i = start; i < n; ++i) {
            if (text[i] == L'\n') {
                end = i;
                next = i + 1;
                break;
            }
            if (i > start && CanBreakBefore(text, i))
                lastBreak = i;
            width += advances[i];
            if (i > start && !IsSpace(text[i]) && width > maxWidth) {
                end = next = lastBreak > start ? lastBreak : ForcedBreak(text, start, i);
                break;
            }
        }
        lines.push_back(MakeLine(text, advances, start, end));
        start = next;
    }
    return lines;
}

Size WrappedSize(const std::vector<TextLine>& lines, int lineHeight) noexcept {
    Size size;
    for (const TextLine& line : lines)
        size.cx = std::max(size.cx, line.width);
    size.cy = static_cast<int>(lines.size()) * lineHeight;
    return size;
}

TipMargins MarginsOf(const ToolTipParams& look, int dpi) noexcept {
    return look.roundedCorners ? TipMargins{Scale(6, dpi), Scale(4, dpi)}
                               : TipMargins{Scale(4, dpi), Scale(2, dpi)};
}

// The text column starts one margin right of the icon column, which is reserved whether or not an icon
// is drawn into it; the label and description are centred down beside an icon taller than both.
TipLayout LayoutTip(const ToolTipParams& look, Size icon, Size label, Size description, int dpi) noexcept {
    const TipMargins m = MarginsOf(look, dpi);
    const bool hasDescription = description.cx > 0 && description.cy > 0;
    const bool hasSeparator = hasDescription && look.drawSeparator;
    const int left = kBorder + m.across;
    const int top = kBorder + m.down;
    const int textLeft = left + (icon.cx > 0 ? icon.cx + m.across : 0);
    const int textWidth = std::max(label.cx, hasDescription ? description.cx : 0);
    const int gap = hasSeparator ? m.down + 1 + m.down : m.down;
    const int textHeight = label.cy + (hasDescription ? gap + description.cy : 0);
    const int contentHeight = std::max(icon.cy, textHeight);
    const int textTop = top + (contentHeight - textHeight) / 2;

    TipLayout layout;
    layout.icon = {left, top, left + icon.cx, top + icon.cy};
    layout.label = {textLeft, textTop, textLeft + label.cx, textTop + label.cy};
    if (hasSeparator) {
        const int y = layout.label.bottom + m.down;
        layout.separator = {textLeft, y, textLeft + textWidth, y + 1};
    }
    if (hasDescription) {
        const int y = layout.label.bottom + gap;
        layout.description = {textLeft, y, textLeft + description.cx, y + description.cy};
    }
    layout.size = {textLeft + textWidth + m.across + kBorder, top + contentHeight + m.down + kBorder};
    return layout;
}

namespace {

// How many pixels row y (counted from the nearer of the top and bottom edges) of a rounded tip loses at
// each end: the rows of a quarter circle of the corner's radius, cut where the circle leaves a pixel's
// column. Radius 2 (96 dpi) gives 2 and 1.
std::vector<int> CornerInsets(int radius) {
    std::vector<int> insets;
    for (int y = 0; y < radius; ++y) {
        const int dy = radius - y;
        int across = 0;
        while ((across + 1) * (across + 1) <= radius * radius - dy * dy)
            ++across;
        insets.push_back(radius - across);
    }
    return insets;
}

// The corner's radius at dpi; 0 where the tip is square or too small to be rounded.
int CornerRadius(Size size, bool rounded, int dpi) noexcept {
    const int radius = rounded ? std::max(1, Scale(2, dpi)) : 0;
    return size.cx > 2 * radius && size.cy > 2 * radius ? radius : 0;
}

// What row y of the shape spans: [inset, width - inset).
int InsetOfRow(const std::vector<int>& insets, int y, int height) noexcept {
    const int fromEdge = std::min(y, height - 1 - y);
    return fromEdge < static_cast<int>(insets.size()) ? insets[static_cast<size_t>(fromEdge)] : 0;
}

} // namespace

std::vector<Rect> TipShape(Size size, bool rounded, int dpi) {
    const int w = size.cx, h = size.cy;
    const int radius = CornerRadius(size, rounded, dpi);
    if (radius == 0)
        return {{0, 0, w, h}};
    const std::vector<int> insets = CornerInsets(radius);
    std::vector<Rect> rows;
    for (int y = 0; y < radius; ++y)
        rows.push_back({insets[static_cast<size_t>(y)], y, w - insets[static_cast<size_t>(y)], y + 1});
    rows.push_back({0, radius, w, h - radius});
    for (int y = h - radius; y < h; ++y) {
        const int inset = insets[static_cast<size_t>(h - 1 - y)];
        rows.push_back({inset, y, w - inset, y + 1});
    }
    return rows;
}

// The pixels of the shape with a neighbour above, below, left or right outside it: the first and last rows
// whole, and at each end of every other row the pixels that the rows above and below do not reach. Runs of
// rows alike are joined into one rectangle.
std::vector<Rect> TipBorder(Size size, bool rounded, int dpi) {
    const int w = size.cx, h = size.cy;
    const std::vector<int> insets = CornerInsets(CornerRadius(size, rounded, dpi));
    std::vector<Rect> border;
    auto add = [&border](Rect piece) {
        for (Rect& r : border)
            if (r.left == piece.left && r.right == piece.right && r.bottom == piece.top) {
                r.bottom = piece.bottom;
                return;
            }
        border.push_back(piece);
    };
    for (int y = 0; y < h; ++y) {
        const int a = InsetOfRow(insets, y, h), b = w - a;
        if (y == 0 || y == h - 1) {
            add({a, y, b, y + 1});
            continue;
        }
        const int up = InsetOfRow(insets, y - 1, h), down = InsetOfRow(insets, y + 1, h);
        const int leftEnd = std::max({a + 1, up, down});
        const int rightStart = std::min({b - 1, w - up, w - down});
        if (leftEnd >= rightStart) {
            add({a, y, b, y + 1});
            continue;
        }
        add({a, y, leftEnd, y + 1});
        add({rightStart, y, b, y + 1});
    }
    return border;
}

Rect PlaceTip(int cursorX, int cursorY, Size tip, const Rect& workArea, int cursorHeight) noexcept {
    int x = cursorX;
    int y = cursorY + cursorHeight;
    if (x + tip.cx > workArea.right)
        x = workArea.right - tip.cx;
    if (y + tip.cy > workArea.bottom)
        y = cursorY - tip.cy;
    x = std::max(x, workArea.left);
    y = std::max(y, workArea.top);
    return {x, y, x + tip.cx, y + tip.cy};
}

} // namespace platform
