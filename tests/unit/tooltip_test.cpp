#include "panel/tooltip_table.h"
#include "platform/tooltip_look.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using platform::Rect;
using platform::Size;
using platform::ToolTipParams;

// ---------------------------------------------------------------- the panel's tools

TEST(TipTable, ToolsInOrderWithTheirTextsAndIcons) {
    struct Expected {
        int id;
        const wchar_t* label;
        const wchar_t* description;
        int bitmap;
    };
    const Expected expected[] = {
        {1003, L"イメージクリア", L"画像をクリアして透明に戻します", 132},
        {1002, L"イメージキャプチャ", L"メインパネルの枠内をキャプチャします", 130},
        {1004, L"クリップボードにコピー", L"キャプチャ中のイメージをクリップボードにコピーします", 131},
        {1005, L"保存", L"キャプチャー中のイメージをファイルに保存します", 133},
        {1006, L"操作パネル表示位置", L"Operationパネルの左右位置を指定します", 0},
    };
    const auto& tools = panel::TipTools();
    ASSERT_EQ(tools.size(), std::size(expected));
    for (std::size_t i = 0; i < tools.size(); ++i) {
        const Expected& e = expected[i];
        SCOPED_TRACE(e.id);
        EXPECT_EQ(tools[i].controlId, e.id);
        EXPECT_EQ(std::wstring(tools[i].label), e.label);
        EXPECT_EQ(std::wstring(tools[i].description), e.description);
        EXPECT_EQ(std::wstring(panel::TipDescription(e.id)), e.description);
        EXPECT_EQ(panel::TipIconFor(e.id, panel::kTipIconSize).bitmapId, e.bitmap);
    }
}

TEST(TipTable, OtherControlsHaveNoDescriptionAndNoIcon) {
    for (int id : {0, -1, 1, 1000, 1001, 1007, 130, 0x7FFFFFFF}) {
        SCOPED_TRACE(id);
        ASSERT_NE(panel::TipDescription(id), nullptr);
        EXPECT_EQ(std::wstring(panel::TipDescription(id)), L"");
        EXPECT_EQ(panel::TipIconFor(id, panel::kTipIconSize).bitmapId, 0);
    }
}

// A tip's icon comes from the image drawn at its column's size, or from the next larger one to be scaled
// down; Right Pos has none at any size.
TEST(TipTable, IconsComeFromTheImageAtLeastAsLarge) {
    struct Row {
        int id, size, bitmap, bitmapSize;
    };
    const Row rows[] = {
        {1002, 32, 130, 32}, {1002, 48, 230, 48},
        {1002, 64, 330, 64},                      // 96, 144 and 192 dpi: drawn as they are
        {1004, 40, 231, 48}, {1003, 56, 332, 64}, // 120 and 168 dpi: the next larger image
        {1005, 24, 133, 32}, {1005, 80, 333, 64}, // smaller than the smallest, larger than the largest
        {1006, 32, 0, 0},    {1006, 64, 0, 0},
        {7, 48, 0, 0},
    };
    for (const Row& r : rows) {
        const panel::TipIcon icon = panel::TipIconFor(r.id, r.size);
        EXPECT_EQ(icon.bitmapId, r.bitmap) << r.id << " at " << r.size;
        EXPECT_EQ(icon.size, r.bitmapSize) << r.id << " at " << r.size;
    }
}

TEST(TipTable, RelaysKeysMovesAndSingleClicksOnly) {
    const std::set<unsigned> relayed = {0x0100, 0x0104, 0x0200, 0x0201, 0x0202,
                                        0x0204, 0x0205, 0x0207, 0x0208};
    for (unsigned msg = 0; msg < 0x0400; ++msg)
        EXPECT_EQ(panel::IsRelayedToTip(msg), relayed.count(msg) == 1) << std::hex << msg;
    // Double clicks, key releases, characters, the wheel and X buttons are among those left out.
    for (unsigned msg : {0x0203u, 0x0206u, 0x0209u, 0x0101u, 0x0102u, 0x0105u, 0x020Au, 0x020Bu, 0x10200u})
        EXPECT_FALSE(panel::IsRelayedToTip(msg)) << std::hex << msg;
}

// ---------------------------------------------------------------- look

TEST(TipLook, PanelRecordFollowsTheDisplay) {
    const ToolTipParams record = panel::PanelLook();
    EXPECT_EQ(record.visualManager, 1);
    EXPECT_EQ(record.drawSeparator, 1);
    EXPECT_EQ(record.roundedCorners, 0);
    EXPECT_EQ(record.maxDescWidth, 200);

    struct Case {
        int bitsPerPixel;
        bool highContrast;
        bool styled;
    };
    const Case cases[] = {{32, false, true}, {24, false, true}, {16, false, true}, {8, false, false},
                          {4, false, false}, {32, true, false}, {8, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bitsPerPixel) + (c.highContrast ? " high contrast" : ""));
        const ToolTipParams look =
            platform::LookAtShow(record, panel::StyledLook(), c.bitsPerPixel, c.highContrast);
        EXPECT_EQ(look.visualManager, 1); // the next show asks the display again
        EXPECT_EQ(look.roundedCorners, c.styled ? 1 : 0);
        EXPECT_EQ(look.drawSeparator, c.styled ? 0 : 1);
        EXPECT_EQ(look.fillColour, c.styled ? 0xFFFFFF : -1);
        EXPECT_EQ(look.fillGradientColour, c.styled ? 0xE1D4CE : -1); // RGB(206, 212, 225)
        EXPECT_EQ(look.textColour, c.styled ? 0x4C4C4C : -1);
        EXPECT_EQ(look.borderColour, c.styled ? 0x767676 : -1);
        EXPECT_EQ(look.drawIcon, 1);
        EXPECT_EQ(look.drawDescription, 1);
        EXPECT_EQ(look.boldLabel, 1);
        EXPECT_EQ(look.maxDescWidth, 200);
        EXPECT_EQ(look.gradientAngle, -1);
    }
}

TEST(TipLook, OwnRecordIsKeptWhenNotFollowingTheDisplay) {
    ToolTipParams own;
    own.maxDescWidth = 120;
    own.textColour = 0x123456;
    for (int bpp : {8, 32}) {
        const ToolTipParams look = platform::LookAtShow(own, panel::StyledLook(), bpp, false);
        EXPECT_EQ(look.visualManager, 0);
        EXPECT_EQ(look.roundedCorners, 0);
        EXPECT_EQ(look.maxDescWidth, 120);
        EXPECT_EQ(look.textColour, 0x123456);
    }
}

TEST(TipLook, SystemColoursFillTheUnsetOnes) {
    const unsigned infoBk = 0xE1FFFF, infoText = 0x000001;
    const platform::TipColours plain = platform::ResolveColours(ToolTipParams{}, infoBk, infoText);
    EXPECT_EQ(plain.fill, infoBk);
    EXPECT_FALSE(plain.gradient);
    EXPECT_EQ(plain.fillGradient, infoBk);
    EXPECT_EQ(plain.text, infoText);
    EXPECT_EQ(plain.border, infoText);

    const platform::TipColours styled = platform::ResolveColours(panel::StyledLook(), infoBk, infoText);
    EXPECT_EQ(styled.fill, 0xFFFFFFu);
    EXPECT_TRUE(styled.gradient);
    EXPECT_EQ(styled.fillGradient, 0xE1D4CEu);
    EXPECT_EQ(styled.text, 0x4C4C4Cu);
    EXPECT_EQ(styled.border, 0x767676u);
}

TEST(TipLook, GradientStartsOnTheSideNearestTheAngle) {
    using platform::GradientStart;
    const std::pair<int, GradientStart> cases[] = {
        {-1, GradientStart::Top},    {90, GradientStart::Top},     {450, GradientStart::Top},
        {0, GradientStart::Left},    {360, GradientStart::Left},   {30, GradientStart::Left},
        {180, GradientStart::Right}, {270, GradientStart::Bottom}, {-90, GradientStart::Bottom},
    };
    for (const auto& [angle, start] : cases)
        EXPECT_EQ(platform::GradientStartFor(angle), start) << angle;
}

TEST(TipLook, TabsBecomeFourSpaces) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"", L""},
        {L"\t", L"    "},
        {L"a\tb", L"a    b"},
        {L"\t\t保存\t", L"        保存    "},
        {L"no tabs", L"no tabs"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(platform::ExpandTabs(in), out) << in;
}

// ---------------------------------------------------------------- wrapping

// The lines as text, each with its width, for a font where every character is 10 pixels wide unless
// given otherwise.
std::vector<std::pair<std::wstring, int>> Wrap(const std::wstring& text, int maxWidth,
                                               std::vector<int> advances = {}) {
    if (advances.empty())
        advances.assign(text.size(), 10);
    std::vector<std::pair<std::wstring, int>> out;
    for (const platform::TextLine& line : platform::WrapText(text, advances, maxWidth))
        out.emplace_back(text.substr(line.start, line.length), line.width);
    return out;
}

using Lines = std::vector<std::pair<std::wstring, int>>;

TEST(TipWrap, BreaksJapaneseBetweenCharactersAndLatinAtSpaces) {
    struct Case {
        const char* name;
        std::wstring text;
        int maxWidth;
        Lines lines;
    };
    const Case cases[] = {
        {"fits", L"保存します", 50, {{L"保存します", 50}}},
        {"no spaces", L"あいうえおかきく", 50, {{L"あいうえお", 50}, {L"かきく", 30}}},
        {"words", L"ab cd efgh", 50, {{L"ab cd", 50}, {L"efgh", 40}}},
        {"spaces at a break are not counted", L"ab   cd", 40, {{L"ab", 20}, {L"cd", 20}}},
        {"word moves whole to the next line", L"ab cdefg", 50, {{L"ab", 20}, {L"cdefg", 50}}},
        {"word kept whole after Japanese", L"パネルOperation", 95, {{L"パネル", 30}, {L"Operation", 90}}},
        {"Japanese breaks after a word", L"Operationパネル", 95, {{L"Operation", 90}, {L"パネル", 30}}},
        {"word too long for a line", L"abcdefghij", 50, {{L"abcde", 50}, {L"fghij", 50}}},
        {"closing punctuation takes the character before",
         L"あいうえお。か",
         50,
         {{L"あいうえ", 40}, {L"お。か", 30}}},
        {"long vowel mark stays with its kana",
         L"あいうキャプチャー",
         80,
         {{L"あいうキャプ", 60}, {L"チャー", 30}}},
        {"opening bracket goes with what follows",
         L"あいう「えお」",
         40,
         {{L"あいう", 30}, {L"「えお」", 40}}},
        {"surrogate pair kept whole",
         L"あいうえ\xD842\xDFB7",
         50,
         {{L"あいうえ", 40}, {L"\xD842\xDFB7", 20}}},
        {"line feed", L"ab\ncd", 100, {{L"ab", 20}, {L"cd", 20}}},
        {"empty", L"", 100, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Wrap(c.text, c.maxWidth), c.lines) << c.name;
}

TEST(TipWrap, ACharacterWiderThanTheLineGetsALineOfItsOwn) {
    EXPECT_EQ(Wrap(L"画像", 50, {80, 10}), (Lines{{L"画", 80}, {L"像", 10}}));
    EXPECT_EQ(Wrap(L"画像", 0), (Lines{{L"画", 10}, {L"像", 10}}));
}

TEST(TipWrap, EveryCharacterLandsOnALineThatFits) {
    // The real descriptions with uneven widths: no line is wider than allowed, none is empty, and
    // together they hold every character but the spaces at a break.
    for (const auto& tool : panel::TipTools()) {
        const std::wstring text = tool.description;
        std::vector<int> advances;
        for (wchar_t c : text)
            advances.push_back(c < 0x80 ? 6 : 11);
        const auto lines = platform::WrapText(text, advances, 200);
        std::wstring joined;
        for (const auto& line : lines) {
            EXPECT_GT(line.length, 0u) << tool.controlId;
            EXPECT_LE(line.width, 200) << tool.controlId;
            joined += text.substr(line.start, line.length);
        }
        EXPECT_EQ(joined, text) << tool.controlId;
        const Size size = platform::WrappedSize(lines, 13);
        EXPECT_EQ(size.cy, static_cast<int>(lines.size()) * 13);
        EXPECT_LE(size.cx, 200);
    }
}

// ---------------------------------------------------------------- layout

bool Inside(const Rect& inner, const Rect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

TEST(TipLayout, PartsSitInTheirPlaces) {
    struct Case {
        const char* name;
        ToolTipParams look;
        Size icon, label, description;
    };
    ToolTipParams noIcon = panel::StyledLook();
    noIcon.drawIcon = 0;
    const Case cases[] = {
        {"styled", panel::StyledLook(), {32, 32}, {90, 13}, {190, 26}},
        {"plain", ToolTipParams{}, {32, 32}, {90, 13}, {190, 26}},
        {"label wider than description", panel::StyledLook(), {32, 32}, {150, 13}, {60, 13}},
        {"label alone", panel::StyledLook(), {32, 32}, {90, 13}, {0, 0}},
        {"no icon column", noIcon, {0, 0}, {90, 13}, {190, 26}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const platform::TipLayout t = platform::LayoutTip(c.look, c.icon, c.label, c.description);
        const platform::TipMargins m = platform::MarginsOf(c.look);
        const Rect content{1 + m.across, 1 + m.down, t.size.cx - 1 - m.across, t.size.cy - 1 - m.down};
        const bool described = c.description.cx > 0;
        EXPECT_EQ(t.icon,
                  (Rect{content.left, content.top, content.left + c.icon.cx, content.top + c.icon.cy}));
        EXPECT_EQ(t.label.Width(), c.label.cx);
        EXPECT_EQ(t.label.Height(), c.label.cy);
        EXPECT_EQ(t.label.left, c.icon.cx ? t.icon.right + m.across : content.left);
        EXPECT_TRUE(Inside(t.label, content));
        // The window is as small as its content allows.
        EXPECT_EQ(content.right, std::max(t.label.right, t.description.right));
        EXPECT_EQ(content.bottom, std::max(t.icon.bottom, described ? t.description.bottom : t.label.bottom));
        if (!described) {
            EXPECT_EQ(t.description.Height(), 0);
            EXPECT_EQ(t.separator.Height(), 0);
            continue;
        }
        EXPECT_EQ(t.description.left, t.label.left);
        EXPECT_EQ(t.description.Width(), c.description.cx);
        EXPECT_EQ(t.description.Height(), c.description.cy);
        EXPECT_TRUE(Inside(t.description, content));
        if (c.look.drawSeparator) {
            EXPECT_EQ(t.separator.Height(), 1);
            EXPECT_EQ(t.separator.top, t.label.bottom + m.down);
            EXPECT_EQ(t.description.top, t.separator.bottom + m.down);
        } else {
            EXPECT_EQ(t.separator.Height(), 0);
            EXPECT_EQ(t.description.top, t.label.bottom + m.down);
        }
    }
}

TEST(TipLayout, RoundedTipsHaveWiderMargins) {
    const Size icon{32, 32}, label{80, 13}, description{150, 26};
    const auto styled = platform::LayoutTip(panel::StyledLook(), icon, label, description);
    const auto plain = platform::LayoutTip(ToolTipParams{}, icon, label, description);
    EXPECT_EQ(styled.icon, (Rect{7, 5, 39, 37}));
    EXPECT_EQ(plain.icon, (Rect{5, 3, 37, 35}));
    EXPECT_EQ(styled.label.left, 45);
    EXPECT_EQ(plain.label.left, 41);
    EXPECT_EQ(styled.size, (Size{45 + 150 + 7, 5 + 13 + 4 + 26 + 5}));
    EXPECT_EQ(plain.size, (Size{41 + 150 + 5, 3 + 13 + 2 + 1 + 2 + 26 + 3}));
}

// At 144 dpi the margins are one and a half times as wide (9 and 6 for a rounded tip, 6 and 3 for a
// square one), around an icon column of 48 pixels.
TEST(TipLayout, MarginsFollowTheScale) {
    const Size icon{48, 48}, label{120, 20}, description{225, 40};
    const auto styled = platform::LayoutTip(panel::StyledLook(), icon, label, description, 144);
    const auto plain = platform::LayoutTip(ToolTipParams{}, icon, label, description, 144);
    EXPECT_EQ(styled.icon, (Rect{10, 7, 58, 55}));
    EXPECT_EQ(plain.icon, (Rect{7, 4, 55, 52}));
    EXPECT_EQ(styled.label.left, 67);
    EXPECT_EQ(styled.size, (Size{67 + 225 + 10, 7 + 20 + 6 + 40 + 7}));
    EXPECT_EQ(plain.size, (Size{61 + 225 + 7, 4 + 20 + 3 + 1 + 3 + 40 + 4}));
}

TEST(TipLayout, ShortTextIsCentredBesideTheIcon) {
    const auto t = platform::LayoutTip(panel::StyledLook(), {32, 32}, {40, 13}, {0, 0});
    EXPECT_EQ(t.size.cy, 5 + 32 + 5);
    EXPECT_EQ(t.label.top - t.icon.top, (32 - 13) / 2);
}

// ---------------------------------------------------------------- shape and border

// The shape of a tip as a pixel map: how many of its rectangles cover each pixel.
std::vector<int> Cover(const std::vector<Rect>& rects, Size size) {
    std::vector<int> map(static_cast<size_t>(size.cx * size.cy));
    for (const Rect& r : rects)
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                ++map[static_cast<size_t>(y * size.cx + x)];
    return map;
}

// The border covers exactly the pixels of the shape that touch its outside, each once; the shape's
// rectangles do not overlap. Returns whether pixel (x, y) is in the shape.
std::vector<int> ExpectBorderAlongTheEdge(Size size, bool rounded, int dpi) {
    const std::vector<int> shape = Cover(platform::TipShape(size, rounded, dpi), size);
    const std::vector<int> border = Cover(platform::TipBorder(size, rounded, dpi), size);
    auto in = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < size.cx && y < size.cy && shape[static_cast<size_t>(y * size.cx + x)];
    };
    int wrong = 0;
    for (int y = 0; y < size.cy; ++y)
        for (int x = 0; x < size.cx; ++x) {
            const int s = shape[static_cast<size_t>(y * size.cx + x)];
            const bool edge = s && (!in(x - 1, y) || !in(x + 1, y) || !in(x, y - 1) || !in(x, y + 1));
            if (s > 1 || border[static_cast<size_t>(y * size.cx + x)] != (edge ? 1 : 0))
                ++wrong;
        }
    EXPECT_EQ(wrong, 0);
    return shape;
}

TEST(TipShape, BorderRunsAlongTheEdgeOfTheShape) {
    for (bool rounded : {true, false}) {
        for (Size size : {Size{60, 40}, Size{5, 5}, Size{200, 61}}) {
            SCOPED_TRACE(std::to_string(size.cx) + "x" + std::to_string(size.cy) +
                         (rounded ? " rounded" : ""));
            const std::vector<int> shape = ExpectBorderAlongTheEdge(size, rounded, 96);
            auto in = [&](int x, int y) { return shape[static_cast<size_t>(y * size.cx + x)] != 0; };
            // A rounded tip shows what is beneath at its corners; a square one covers them.
            for (auto [x, y] :
                 {std::pair{0, 0}, {1, 0}, {0, 1}, {size.cx - 1, size.cy - 1}, {size.cx - 2, 0}})
                EXPECT_EQ(in(x, y), !rounded) << x << "," << y;
            EXPECT_TRUE(in(1, 1));
            EXPECT_TRUE(in(2, 0));
        }
    }
}

// At larger scales the corners are cut in proportion (a radius of 3 pixels at 144 dpi, 4 at 192), every
// corner alike, and the border still follows the cut.
TEST(TipShape, CornersGrowWithTheScale) {
    struct Case {
        int dpi;
        std::vector<int> cut; // pixels cut from each end of the first rows
    };
    const Case cases[] = {{120, {3, 1, 1}}, {144, {3, 1, 1}}, {192, {4, 2, 1, 1}}};
    const Size size{90, 70};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        const std::vector<int> shape = ExpectBorderAlongTheEdge(size, true, c.dpi);
        auto in = [&](int x, int y) { return shape[static_cast<size_t>(y * size.cx + x)] != 0; };
        for (int row = 0; row < static_cast<int>(c.cut.size()); ++row) {
            const int cut = c.cut[static_cast<size_t>(row)];
            for (auto [x, y] : {std::pair{cut, row},
                                {size.cx - 1 - cut, row},
                                {cut, size.cy - 1 - row},
                                {size.cx - 1 - cut, size.cy - 1 - row}})
                EXPECT_TRUE(in(x, y) && !in(x + (x < size.cx / 2 ? -1 : 1), y)) << x << "," << y;
        }
        EXPECT_TRUE(in(0, static_cast<int>(c.cut.size())));
        ExpectBorderAlongTheEdge(Size{7, 7}, true, c.dpi); // a tip hardly larger than its corners
    }
}

// ---------------------------------------------------------------- placement

TEST(TipPlacement, BelowThePointerAndInsideTheWorkArea) {
    const Rect screen{0, 0, 1920, 1040};
    const Rect leftMonitor{-1280, -200, 0, 824};
    struct Case {
        const char* name;
        int x, y;
        Rect work;
        Size tip;
        Rect placed;
    };
    const Case cases[] = {
        {"room everywhere", 500, 400, screen, {250, 60}, {500, 420, 750, 480}},
        {"at the right edge", 1800, 400, screen, {250, 60}, {1670, 420, 1920, 480}},
        {"at the bottom: above the pointer", 500, 1000, screen, {250, 60}, {500, 940, 750, 1000}},
        {"bottom-right corner", 1910, 1030, screen, {250, 60}, {1670, 970, 1920, 1030}},
        {"monitor at negative coordinates", -100, -150, leftMonitor, {250, 60}, {-250, -130, 0, -70}},
        {"bottom of a negative monitor", -1000, 800, leftMonitor, {250, 60}, {-1000, 740, -750, 800}},
        {"pointer left of the work area", -20, 100, screen, {250, 60}, {0, 120, 250, 180}},
        {"larger than the work area", 100, 100, Rect{0, 0, 200, 50}, {250, 60}, {0, 40, 250, 100}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::PlaceTip(c.x, c.y, c.tip, c.work, 20), c.placed) << c.name;
}

} // namespace
