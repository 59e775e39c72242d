// End-to-end cases of the panel's tips: the real pointer rests on each control of the active panel and the
// tip that appears is checked on the screen: its rounded shape, gradient and border, the control's icon
// blended at its own size, the label and the description as wrapped, drawn in their fonts, and its place by
// the pointer.
#include "tests/e2e/app.h"
#include "tests/e2e/case_registry.h"
#include "tests/e2e/display_scale.h"
#include "tests/e2e/files.h"
#include "tests/e2e/input.h"
#include "tests/e2e/report.h"
#include "tests/e2e/screen.h"
#include "tests/e2e/tips.h"
#include "tests/e2e/wait.h"
#include "tests/e2e/window_lookup.h"

#include "platform/dpi_scale.h"
#include "platform/tooltip_look.h"
#include "res/resource.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <map>

using namespace e2e;
using namespace support;

namespace {

// Colours of the styled tip as the screen holds them (0x00RRGGBB).
constexpr uint32_t kFillTop = 0xFFFFFF;
constexpr uint32_t kFillBottom = 0xCED4E1; // RGB(206, 212, 225)
constexpr uint32_t kText = 0x4C4C4C;       // RGB(76, 76, 76)
constexpr uint32_t kBorder = 0x767676;     // RGB(118, 118, 118)
// At 96 dpi; in proportion at other scales.
constexpr int kIconSize = 32;
constexpr int kDescriptionWidth = 200;

struct Tool {
    int id;
    const char* name;
    const wchar_t* label;
    const wchar_t* description;
    int bitmap;             // 0: the icon column stays empty
    int bitmap48, bitmap64; // the icon drawn at 48 and 64 pixels (144 and 192 dpi)
};
const Tool kTools[] = {
    {IDC_CLEAR, "Clear", L"イメージクリア", L"画像をクリアして透明に戻します", IDB_CLEAR, IDB_CLEAR_48,
     IDB_CLEAR_64},
    {IDC_CAPTURE, "Capture", L"イメージキャプチャ", L"メインパネルの枠内をキャプチャします", IDB_CAPTURE,
     IDB_CAPTURE_48, IDB_CAPTURE_64},
    {IDC_COPY, "Copy", L"クリップボードにコピー", L"キャプチャ中のイメージをクリップボードにコピーします",
     IDB_COPY, IDB_COPY_48, IDB_COPY_64},
    {IDC_SAVE, "Save", L"保存", L"キャプチャー中のイメージをファイルに保存します", IDB_SAVE, IDB_SAVE_48,
     IDB_SAVE_64},
    {IDC_RIGHTPOS, "Right Pos", L"操作パネル表示位置", L"Operationパネルの左右位置を指定します", 0, 0, 0},
};

int channelDiff(uint32_t a, uint32_t b) {
    int worst = 0;
    for (int shift : {0, 8, 16})
        worst = std::max(
            worst, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    return worst;
}

// A bitmap resource of vantrel.exe as premultiplied 0xAARRGGBB pixels, top row first.
struct Icon {
    int width = 0, height = 0;
    std::vector<uint32_t> argb;
};

Icon loadIcon(int id, int size = kIconSize) {
    HMODULE exe = LoadLibraryExW(vantrelPath().c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    check(exe != nullptr, "cannot open vantrel.exe for its resources");
    Icon icon;
    HRSRC found = FindResourceW(exe, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2)); // RT_BITMAP
    const void* data = found ? LockResource(LoadResource(exe, found)) : nullptr;
    if (data && SizeofResource(exe, found) >= sizeof(BITMAPINFOHEADER)) {
        const auto* header = static_cast<const BITMAPINFOHEADER*>(data);
        if (header->biBitCount == 32 && header->biCompression == BI_RGB && header->biHeight > 0 &&
            SizeofResource(exe, found) >= header->biSize + 4u * header->biWidth * header->biHeight) {
            icon.width = header->biWidth;
            icon.height = header->biHeight;
            const auto* rows =
                reinterpret_cast<const uint32_t*>(static_cast<const char*>(data) + header->biSize);
            for (int y = icon.height - 1; y >= 0; --y) // stored bottom-up
                icon.argb.insert(icon.argb.end(), rows + y * icon.width, rows + (y + 1) * icon.width);
        }
    }
    FreeLibrary(exe);
    check(icon.width == size && icon.height == size, "bitmap " + std::to_string(id) + " is not a " +
                                                         std::to_string(size) + "x" + std::to_string(size) +
                                                         " 32-bit resource of vantrel.exe");
    return icon;
}

// A premultiplied pixel over a background, as alpha blending gives it.
uint32_t over(uint32_t argb, uint32_t background) {
    const uint32_t a = argb >> 24;
    uint32_t out = 0;
    for (int shift : {0, 8, 16}) {
        const uint32_t s = (argb >> shift) & 0xFF, d = (background >> shift) & 0xFF;
        out |= std::min<uint32_t>(255, s + d * (255 - a) / 255) << shift;
    }
    return out;
}

} // namespace

namespace e2e {

HWND visibleTip(DWORD pid) {
    const std::vector<HWND> tips = topLevelWindows(pid, L"tooltips_class32", true);
    check(tips.size() <= 1, std::to_string(tips.size()) + " tips show at once");
    return tips.empty() ? nullptr : tips[0];
}

} // namespace e2e

namespace {

// The fonts the tips draw with at a display scale, made here from the same system settings: the status
// font for the description and its bold twin, drawn without smoothing, for the label.
class TipFonts {
public:
    explicit TipFonts(int dpi = platform::kDefaultDpi) : wrapWidth_(platform::Scale(kDescriptionWidth, dpi)) {
        LOGFONTW font = nonClientMetricsAt(dpi).lfStatusFont;
        regular_.reset(CreateFontIndirectW(&font));
        font.lfWeight = FW_BOLD;
        font.lfQuality = NONANTIALIASED_QUALITY;
        bold_.reset(CreateFontIndirectW(&font));
        dc_.reset(CreateCompatibleDC(nullptr));
        check(regular_ && bold_ && dc_, "cannot make the status font");
        SelectObject(dc_.get(), regular_.get());
        TEXTMETRICW tm{};
        GetTextMetricsW(dc_.get(), &tm);
        lineHeight_ = tm.tmHeight;
    }

    HFONT regular() const { return regular_.get(); }
    HFONT bold() const { return bold_.get(); }
    int lineHeight() const { return lineHeight_; }
    int wrapWidth() const { return wrapWidth_; }

    // The description's lines, broken by the program's own rule at the tips' wrapping width with the
    // advance widths of the status font.
    std::vector<std::wstring> wrap(const std::wstring& text) const {
        SelectObject(dc_.get(), regular_.get());
        std::vector<int> ends(text.size());
        SIZE total{};
        GetTextExtentExPointW(dc_.get(), text.c_str(), static_cast<int>(text.size()), 0, nullptr, ends.data(),
                              &total);
        std::vector<int> advances(ends.size());
        for (size_t i = 0; i < ends.size(); ++i)
            advances[i] = ends[i] - (i ? ends[i - 1] : 0);
        std::vector<std::wstring> lines;
        for (const platform::TextLine& line : platform::WrapText(text, advances, wrapWidth_))
            lines.push_back(text.substr(line.start, line.length));
        return lines;
    }

    // Draws each text at its place in the tips' text colour over rows of the given background colours,
    // as the tip does.
    struct Piece {
        HFONT font;
        std::wstring text;
        POINT at;
    };
    Pixels draw(int width, const std::vector<uint32_t>& rows, const std::vector<Piece>& pieces) const {
        const int height = static_cast<int>(rows.size());
        const Pixels out = drawnPixels(width, height, [&](HDC dc) {
            for (int y = 0; y < height; ++y)
                fillSolid(dc, RECT{0, y, width, y + 1}, rows[y]);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, RGB(kText >> 16, (kText >> 8) & 0xFF, kText & 0xFF));
            HGDIOBJ oldFont = GetCurrentObject(dc, OBJ_FONT);
            for (const Piece& piece : pieces) {
                SelectObject(dc, piece.font);
                ExtTextOutW(dc, piece.at.x, piece.at.y, 0, nullptr, piece.text.c_str(),
                            static_cast<UINT>(piece.text.size()), nullptr);
            }
            SelectObject(dc, oldFont);
        });
        check(!out.rgb.empty(), "cannot make a bitmap to draw the expected text in");
        return out;
    }

private:
    platform::UniqueFont regular_, bold_;
    platform::UniqueDc dc_; // made after the fonts, so gone before them
    int lineHeight_ = 0;
    int wrapWidth_;
};

} // namespace

namespace e2e {

HWND showTipOf(const App& app, HWND control, POINT& pointer, const std::string& name) {
    SetCursorPos(4, 4); // off every window of vantrel: the tip of the last control goes
    check(waitFor([&] { return visibleTip(app.process.pid()) == nullptr; }, 8000),
          name + ": the previous tip did not hide when the pointer left");
    check(bringToFront(app.panel), name + ": the panel could not be made the active window");
    pointer = centre(windowRect(control));
    SetCursorPos(pointer.x - 4, pointer.y);
    Sleep(60);
    SetCursorPos(pointer.x, pointer.y);
    HWND tip = nullptr;
    RECT last{};
    int steady = 0;
    waitFor(
        [&] {
            tip = visibleTip(app.process.pid());
            if (!tip)
                return false;
            RECT now = windowRect(tip);
            steady = EqualRect(&now, &last) ? steady + 1 : 0;
            last = now;
            return steady >= 2;
        },
        5000, 30);
    check(tip != nullptr, name + ": no tip showed while the pointer rested on the control");
    return tip;
}

} // namespace e2e

namespace {

// Where the icon sits in a tip: the offset inside the top-left of the tip at which every pixel of the
// icon, blended over the background of its row, matches the screen; {-1, -1} when none does.
POINT findIcon(const Pixels& tip, const Icon& icon) {
    const int within = 20 * icon.width / kIconSize; // the margins grow with the icon
    for (int dy = 1; dy + icon.height < tip.height && dy < within; ++dy)
        for (int dx = 1; dx + icon.width + 1 < tip.width && dx < within; ++dx) {
            bool match = true;
            for (int y = 0; y < icon.height && match; ++y) {
                const uint32_t background = tip.at(dx + icon.width + 1, dy + y);
                for (int x = 0; x < icon.width && match; ++x)
                    match = channelDiff(tip.at(dx + x, dy + y),
                                        over(icon.argb[y * icon.width + x], background)) <= 3;
            }
            if (match)
                return POINT{dx, dy};
        }
    return POINT{-1, -1};
}

// Text ink: a pixel that differs clearly from the background of its row (the tip's gradient runs top to
// bottom, so each row has one background colour). Smoothed edges fainter than this are left out.
bool isInk(const Pixels& px, const std::vector<uint32_t>& rows, int x, int y) {
    return channelDiff(px.at(x, y), rows[y]) > 48;
}

// The top-left corner of the ink inside area, {-1, -1} when there is none.
POINT inkCorner(const Pixels& px, const std::vector<uint32_t>& rows, const RECT& area) {
    POINT corner{-1, -1};
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (isInk(px, rows, x, y)) {
                corner.y = corner.y < 0 ? y : corner.y;
                corner.x = corner.x < 0 ? x : std::min<int>(corner.x, x);
            }
    return corner;
}

// The rows of the first run of ink rows inside area, as [first, last]; {-1, -1} when there is no ink.
std::pair<int, int> firstInkRun(const Pixels& px, const std::vector<uint32_t>& rows, const RECT& area) {
    std::pair<int, int> run{-1, -1};
    for (int y = area.top; y < area.bottom; ++y) {
        bool ink = false;
        for (int x = area.left; x < area.right && !ink; ++x)
            ink = isInk(px, rows, x, y);
        if (ink && run.first < 0)
            run = {y, y};
        else if (ink && run.second == y - 1)
            run.second = y;
        else if (run.first >= 0)
            break;
    }
    return run;
}

// Where the pieces must be drawn for their ink to start where the screen's ink starts inside area.
POINT alignedOrigin(const TipFonts& fonts, const std::vector<TipFonts::Piece>& atZero, const Pixels& screen,
                    const std::vector<uint32_t>& rows, const RECT& area) {
    constexpr int kPad = 8;
    std::vector<TipFonts::Piece> padded = atZero;
    int height = 2 * kPad;
    for (TipFonts::Piece& piece : padded) {
        piece.at.x += kPad;
        piece.at.y += kPad;
        height = std::max<int>(height, piece.at.y + fonts.lineHeight() + kPad);
    }
    const std::vector<uint32_t> white(height, kFillTop);
    const Pixels alone = fonts.draw(fonts.wrapWidth() * 2, white, padded);
    const POINT own = inkCorner(alone, white, RECT{0, 0, alone.width, alone.height});
    const POINT seen = inkCorner(screen, rows, area);
    if (own.x < 0 || seen.x < 0)
        return POINT{-1, -1};
    return POINT{seen.x - (own.x - kPad), seen.y - (own.y - kPad)};
}

// The screen must show the ink of the expected drawing inside area, which may reach past the tip's text
// column (where the screen has no ink of the text): fails, with a picture of both masks, when more than a
// few pixels disagree (room for a smoothed edge that falls on either side of the threshold).
void expectSameInk(const std::string& what, const Pixels& screen, const RECT& column, const Pixels& expected,
                   const std::vector<uint32_t>& rows, const RECT& area) {
    auto onScreen = [&](int x, int y) {
        return x >= column.left && x < column.right && y >= column.top && y < column.bottom &&
               isInk(screen, rows, x, y);
    };
    int differ = 0, ink = 0, right = area.left, bottom = area.top; // of the ink in either
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            const bool want = isInk(expected, rows, x, y), got = onScreen(x, y);
            ink += want;
            differ += want != got;
            if (want || got) {
                right = std::max(right, x + 1);
                bottom = y + 1;
            }
        }
    if (differ <= 2)
        return;
    say(what + ". Ink: '#' on screen and expected, '+' on screen only, '-' expected only:");
    for (int y = area.top; y < bottom; ++y) {
        std::string line;
        for (int x = area.left; x < right; ++x) {
            const bool want = isInk(expected, rows, x, y), got = onScreen(x, y);
            line += want ? (got ? '#' : '-') : (got ? '+' : '.');
        }
        say(line);
    }
    fail(what + " (" + std::to_string(differ) + " pixels differ; the expected text has " +
         std::to_string(ink) + " ink pixels)");
}

bool hasTextColour(const Pixels& tip, const RECT& area) {
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (channelDiff(tip.at(x, y), kText) <= 10)
                return true;
    return false;
}

// The tip's label row shows exactly the label in the bold font and the rows below it exactly the
// description, wrapped as the program wraps it, in the regular one, line under line. Returns the number of
// description lines.
size_t expectTipText(const std::string& name, const Tool& tool, const TipFonts& fonts, const Pixels& tip,
                     int textLeft) {
    const int w = tip.width, h = tip.height;
    std::vector<uint32_t> rows(h);
    for (int y = 0; y < h; ++y)
        rows[y] = tip.at(w - 4, y); // the right margin, clear of text
    const RECT column{textLeft, 2, w - 2, h - 2};

    const std::wstring label = tool.label;
    const std::vector<std::wstring> lines = fonts.wrap(tool.description);
    std::vector<TipFonts::Piece> description;
    for (size_t i = 0; i < lines.size(); ++i)
        description.push_back(
            {fonts.regular(), lines[i], POINT{0, static_cast<int>(i) * fonts.lineHeight()}});

    // The label is the first run of ink rows, the description everything below it.
    const std::pair<int, int> labelRun = firstInkRun(tip, rows, column);
    check(labelRun.first >= 0, name + ": the tip shows no text");
    const RECT labelArea{column.left, column.top, column.right, labelRun.second + 1};
    const RECT below{column.left, labelRun.second + 1, column.right, column.bottom};
    const POINT labelAt = alignedOrigin(fonts, {{fonts.bold(), label, POINT{0, 0}}}, tip, rows, labelArea);
    const POINT descriptionAt = alignedOrigin(fonts, description, tip, rows, below);
    check(descriptionAt.x >= 0, name + ": no description under the label");
    expectEq(name + ": left edge of the description (that of the label)", labelAt.x, descriptionAt.x);

    std::vector<TipFonts::Piece> pieces{{fonts.bold(), label, labelAt}};
    for (TipFonts::Piece piece : description) {
        piece.at.x += descriptionAt.x;
        piece.at.y += descriptionAt.y;
        pieces.push_back(piece);
    }
    // Drawn with room to the right and below, so that text the tip cuts off counts as missing.
    rows.resize(h + static_cast<int>(lines.size()) * fonts.lineHeight(), rows[h - 3]);
    const Pixels expected = fonts.draw(w + fonts.wrapWidth(), rows, pieces);
    const RECT labelRows{column.left, column.top, expected.width, descriptionAt.y};
    const RECT descriptionRows{column.left, descriptionAt.y, expected.width, expected.height};
    expectSameInk(name + ": the label does not read " + quoted(label) + " in bold", tip, column, expected,
                  rows, labelRows);
    std::wstring wrapped;
    for (const std::wstring& line : lines)
        wrapped += (wrapped.empty() ? L"" : L"\n") + line;
    expectSameInk(name + ": the description does not read " + quoted(wrapped), tip, column, expected, rows,
                  descriptionRows);
    check(hasTextColour(tip, RECT{column.left, column.top, column.right, descriptionAt.y}),
          name + ": the label is not in the text colour");
    check(hasTextColour(tip, RECT{column.left, descriptionAt.y, column.right, column.bottom}),
          name + ": the description is not in the text colour");
    return lines.size();
}

// Each of the five controls shows its own tip: rounded (what lies beneath shows at the corners), white
// to blue-grey, grey border, the control's icon (none for Right Pos, whose column stays empty), its own
// label in bold above its own description wrapped at 200 pixels, below the pointer.
void caseTipsOfEveryControl() {
    App app;
    app.moveFrame(300, 200, 420, 300);
    const RECT panel = windowRect(app.panel);
    PatternWindow pattern(RECT{panel.right, panel.top - 40, panel.right + 520, panel.bottom + 240});
    const TipFonts fonts;
    sayKey("line_height", fonts.lineHeight());
    check(fonts.lineHeight() > 0, "cannot measure the status font");

    struct Shown {
        const Tool* tool;
        int height;
        size_t lines; // of the description
    };
    std::vector<Shown> shown;
    POINT iconAt{-1, -1};
    for (const Tool& tool : kTools) {
        const std::string name = tool.name;
        POINT pointer{};
        HWND tipWindow = showTipOf(app, app.button(tool.id), pointer, name);
        const RECT r = windowRect(tipWindow);
        const Pixels tip = captureScreen(r);
        const int w = tip.width, h = tip.height;
        sayKey((name + "_tip").c_str(), rectText(r));
        check(visibleTip(app.process.pid()) == tipWindow, name + ": the tip hid before it was read");

        // Placed below the pointer, inside the work area.
        const RECT work = workArea();
        expectEq(name + ": tip's left edge at the pointer", pointer.x, r.left);
        check(r.top > pointer.y && r.top - pointer.y <= 40, name + ": the tip is not just below the pointer");
        check(r.left >= work.left && r.top >= work.top && r.right <= work.right && r.bottom <= work.bottom,
              name + ": the tip leaves the work area");

        // Rounded: the corners on the pattern's side show the pattern; the border follows the cut.
        for (POINT c :
             {POINT{w - 1, 0}, POINT{w - 2, 0}, POINT{w - 1, 1}, POINT{w - 1, h - 1}, POINT{w - 2, h - 1}})
            expectEq(name + ": corner pixel " + std::to_string(c.x) + "," + std::to_string(c.y) +
                         " shows beneath",
                     pattern.expectedAt(r.left + c.x, r.top + c.y), tip.at(c.x, c.y));
        for (POINT b : {POINT{w / 2, 0}, POINT{w / 2, h - 1}, POINT{0, h / 2}, POINT{w - 1, h / 2},
                        POINT{w - 2, 1}, POINT{w - 2, h - 2}})
            expectEq(name + ": border pixel " + std::to_string(b.x) + "," + std::to_string(b.y), kBorder,
                     tip.at(b.x, b.y));

        // Gradient from white at the top to blue-grey at the bottom (right margin, clear of text).
        const uint32_t top = tip.at(w - 4, 1), bottom = tip.at(w - 4, h - 2), middle = tip.at(w - 4, h / 2);
        check(channelDiff(top, kFillTop) <= 6, name + ": top of the fill is " + colourText(top));
        check(channelDiff(bottom, kFillBottom) <= 6, name + ": bottom of the fill is " + colourText(bottom));
        check(channelDiff(middle, kFillTop) > 6 && channelDiff(middle, kFillBottom) > 6,
              name + ": the fill is no gradient in its middle (" + colourText(middle) + ")");

        // The icon, blended at its own size into the column at the top left.
        if (tool.bitmap) {
            const POINT at = findIcon(tip, loadIcon(tool.bitmap));
            check(at.x > 0,
                  name + ": the icon of bitmap " + std::to_string(tool.bitmap) + " is not in the tip");
            if (iconAt.x >= 0)
                check(at.x == iconAt.x && at.y == iconAt.y, name + ": the icon is not where the others are");
            iconAt = at;
        } else {
            check(iconAt.x > 0, "the icon column is known from the tips before Right Pos");
            // Every row of the empty column is its background colour only.
            for (int y = iconAt.y; y < iconAt.y + kIconSize; ++y)
                for (int x = 1; x <= iconAt.x + kIconSize; ++x)
                    if (channelDiff(tip.at(x, y), tip.at(iconAt.x + kIconSize + 1, y)) > 1)
                        fail(name + ": the empty icon column has " + colourText(tip.at(x, y)) + " at " +
                             std::to_string(x) + "," + std::to_string(y));
        }

        // The label and the description, each exactly, right of the icon column; the text column no wider
        // than the description's wrapping width.
        const int textLeft = iconAt.x + kIconSize + 1;
        const size_t lines = expectTipText(name, tool, fonts, tip, textLeft);
        check(w - textLeft <= kDescriptionWidth + 2 * iconAt.x,
              name + ": the tip is " + std::to_string(w) + " wide: the description was not wrapped");
        shown.push_back({&tool, h, lines});
    }
    SetCursorPos(4, 4);

    // Tips whose descriptions have as many lines are as tall; every further line makes a tip taller.
    std::map<size_t, int> heightOf; // by description lines
    for (const Shown& s : shown) {
        const auto known = heightOf.emplace(s.lines, s.height).first;
        expectEq(std::string(s.tool->name) + ": height of a tip with " + std::to_string(s.lines) +
                     " description lines",
                 known->second, s.height);
    }
    check(heightOf.size() >= 2 && heightOf.begin()->first == 1,
          "the descriptions are not both one-line and wrapped at " + std::to_string(kDescriptionWidth) +
              " pixels");
    for (auto next = std::next(heightOf.begin()); next != heightOf.end(); ++next)
        check(next->second > std::prev(next)->second,
              std::to_string(next->first) + " description lines make a tip no taller than fewer do");
}

// While a timed capture counts down on the Capture button, the button's tip is still its own: its label
// and description come from the tools table, not from the button's text.
void caseCaptureTipWhileCounting() {
    App app;
    app.moveFrame(300, 200, 420, 300);
    const TipFonts fonts;
    const Tool& capture = kTools[1];
    PostMessageW(app.frame, WM_SYSCOMMAND, IDM_CAPTURE_IN_10S, 0);
    HWND button = app.button(IDC_CAPTURE);
    check(waitFor([&] { return windowText(button) == L"10"; }, 3000), "the 10 s count did not start");
    POINT pointer{};
    HWND tipWindow = showTipOf(app, button, pointer, "Capture while counting");
    const Pixels tip = captureScreen(windowRect(tipWindow));
    const std::wstring counting = windowText(button);
    check(counting != L"Capture", "the count ended before the tip was read");
    sayKey("button_text", counting);
    const POINT at = findIcon(tip, loadIcon(capture.bitmap));
    check(at.x > 0, "the Capture icon is not in the tip shown while counting");
    expectTipText("Capture while counting", capture, fonts, tip, at.x + kIconSize + 1);
    SetCursorPos(4, 4);
    app.run(IDC_CLEAR); // stops the count
}

// A tip outlives its owner's hiding, and the tip of a panel docked on the left reaches over the frame's
// inner area: Capture hides it first, so the picture holds what lies beneath and no tip.
void caseTipNotInCapture() {
    App app;
    app.moveFrame(400, 250, 520, 360);
    SendMessageW(app.button(IDC_RIGHTPOS), BM_CLICK, 0, 0);
    expectDocked(app, false, "docked on the left");
    PatternWindow pattern(patternArea(app), 1);
    const RECT client = clientRectOnScreen(app.frame);
    POINT pointer{};
    HWND tip = showTipOf(app, app.button(IDC_CAPTURE), pointer, "Capture, docked on the left");
    RECT over{};
    const RECT tipRect = windowRect(tip);
    check(IntersectRect(&over, &tipRect, &client),
          "the tip " + rectText(tipRect) + " does not reach over the client area " + rectText(client));
    sayKey("tip_over_client", rectText(over));
    // As from the keyboard: the pointer stays and the tip is still up as the capture starts.
    app.run(IDC_CAPTURE);
    waitCaptured(app);
    SetCursorPos(4, 4);
    check(waitFor([&] { return visibleTip(app.process.pid()) == nullptr; }, 8000),
          "the tip did not hide when the pointer left");
    pattern.setVariant(2);
    expectScreen(
        client, [&](int x, int y) { return pattern.colourAt(x, y, 1); }, "the picture, which holds no tip");
}

const RegisterCase kTooltipCases[] = {
    {"tooltip_every_control", caseTipsOfEveryControl},
    {"tooltip_capture_while_counting", caseCaptureTipWhileCounting},
    {"tooltip_not_in_capture", caseTipNotInCapture},
};

} // namespace

namespace e2e {

// The tip of a control with an icon at 96, 144 or 192 dpi: the icon drawn as its image for that scale, in
// a column of that size, inside margins of that scale; the label and the description in the status fonts
// of that scale, the description wrapped at the scaled width.
void expectScaledTip(const App& app, int id, int dpi) {
    const auto tool =
        std::find_if(std::begin(kTools), std::end(kTools), [id](const Tool& t) { return t.id == id; });
    check(tool != std::end(kTools) && tool->bitmap, "no tool with an icon has id " + std::to_string(id));
    const int size = platform::Scale(kIconSize, dpi);
    const int bitmap = size == 32   ? tool->bitmap
                       : size == 48 ? tool->bitmap48
                       : size == 64 ? tool->bitmap64
                                    : 0;
    check(bitmap != 0, "no icon image is drawn at " + std::to_string(size) + " pixels");
    const std::string name = std::string(tool->name) + " at " + std::to_string(dpi) + " dpi";
    const TipFonts fonts(dpi);

    POINT pointer{};
    HWND tipWindow = showTipOf(app, app.button(id), pointer, name);
    const RECT r = windowRect(tipWindow);
    const Pixels tip = captureScreen(r);
    sayKey((std::string(tool->name) + "_tip_" + std::to_string(dpi)).c_str(), rectText(r));
    check(visibleTip(app.process.pid()) == tipWindow, name + ": the tip hid before it was read");

    const POINT at = findIcon(tip, loadIcon(bitmap, size));
    check(at.x > 0, name + ": the " + std::to_string(size) + "-pixel icon is not in the tip");
    // Inside the border, the rounded tip's margins: 6 across and 4 down at 96 dpi.
    expectEq(name + ": icon's left edge", 1 + platform::Scale(6, dpi), at.x);
    expectEq(name + ": icon's top edge", 1 + platform::Scale(4, dpi), at.y);
    const int textLeft = at.x + size + 1;
    expectTipText(name, *tool, fonts, tip, textLeft);
    check(tip.width - textLeft <= fonts.wrapWidth() + 2 * at.x,
          name + ": the tip is " + std::to_string(tip.width) + " wide: the description was not wrapped at " +
              std::to_string(fonts.wrapWidth()) + " pixels");
    SetCursorPos(4, 4);
}

} // namespace e2e
