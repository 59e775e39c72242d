// End-to-end cases of the panel's tips: the real pointer rests on each control of the active panel and the
// tip that appears is checked on the screen: its rounded shape, gradient and border, the control's icon
// blended at its own size, the label and description rows, the wrapped description, and its place by the
// pointer.
#include "e2e_util.h"

#include <algorithm>
#include <cstdlib>

using namespace e2e;

namespace {

// Colours of the styled tip as the screen holds them (0x00RRGGBB).
constexpr uint32_t kFillTop = 0xFFFFFF;
constexpr uint32_t kFillBottom = 0xCED4E1; // RGB(206, 212, 225)
constexpr uint32_t kText = 0x4C4C4C;       // RGB(76, 76, 76)
constexpr uint32_t kBorder = 0x767676;     // RGB(118, 118, 118)
constexpr int kIconSize = 32;
constexpr int kDescriptionWidth = 200;

struct Tool {
    int id;
    const char* name;
    const wchar_t* description;
    int bitmap; // 0: the icon column stays empty
};
const Tool kTools[] = {
    {1003, "Clear", L"画像をクリアして透明に戻します", 132},
    {1002, "Capture", L"メインパネルの枠内をキャプチャします", 130},
    {1004, "Copy", L"キャプチャ中のイメージをクリップボードにコピーします", 131},
    {1005, "Save", L"キャプチャー中のイメージをファイルに保存します", 133},
    {1006, "Right Pos", L"Operationパネルの左右位置を指定します", 0},
};

int channelDiff(uint32_t a, uint32_t b) {
    int worst = 0;
    for (int shift : {0, 8, 16})
        worst = std::max(
            worst, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    return worst;
}

bool dark(uint32_t c) {
    return ((c >> 16) & 0xFF) <= 170 && ((c >> 8) & 0xFF) <= 170 && (c & 0xFF) <= 170;
}

// A bitmap resource of vantrel.exe as premultiplied 0xAARRGGBB pixels, top row first.
struct Icon {
    int width = 0, height = 0;
    std::vector<uint32_t> argb;
};

Icon loadIcon(int id) {
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
    check(icon.width == kIconSize && icon.height == kIconSize,
          "bitmap " + std::to_string(id) + " is not a 32x32 32-bit resource of vantrel.exe");
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

// The one visible tip of the process; null while none shows.
HWND visibleTip(DWORD pid) {
    const std::vector<HWND> tips = topLevelWindows(pid, L"tooltips_class32", true);
    check(tips.size() <= 1, std::to_string(tips.size()) + " tips show at once");
    return tips.empty() ? nullptr : tips[0];
}

// The status font the tips are drawn with: the height of a line and whether a description needs more
// than one line at the tips' wrapping width.
struct TextMeasure {
    int lineHeight = 0;
    bool wraps(const std::wstring& text) const { return width(text) > kDescriptionWidth; }
    int width(const std::wstring& text) const {
        SIZE size{};
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, font);
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        return size.cx;
    }
    HFONT font = nullptr;
    TextMeasure() {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof(metrics);
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
        font = CreateFontIndirectW(&metrics.lfStatusFont);
        TEXTMETRICW tm{};
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, font);
        GetTextMetricsW(dc, &tm);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        lineHeight = tm.tmHeight;
    }
    ~TextMeasure() { DeleteObject(font); }
    TextMeasure(const TextMeasure&) = delete;
    TextMeasure& operator=(const TextMeasure&) = delete;
};

// Rests the pointer on a control of the active panel and waits for its tip, settled at its place.
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

// Where the icon sits in a tip: the offset inside the top-left of the tip at which every pixel of the
// icon, blended over the background of its row, matches the screen; {-1, -1} when none does.
POINT findIcon(const Pixels& tip, const Icon& icon) {
    for (int dy = 1; dy + icon.height < tip.height && dy < 20; ++dy)
        for (int dx = 1; dx + icon.width + 1 < tip.width && dx < 20; ++dx) {
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

// Rows of the text column (inside the border and its cut corners) holding dark pixels, as runs [first, last].
std::vector<std::pair<int, int>> textBands(const Pixels& tip, int textLeft) {
    std::vector<std::pair<int, int>> bands;
    for (int y = 2; y < tip.height - 2; ++y) {
        bool ink = false;
        for (int x = textLeft; x < tip.width - 2 && !ink; ++x)
            ink = dark(tip.at(x, y));
        if (!ink)
            continue;
        if (!bands.empty() && bands.back().second == y - 1)
            bands.back().second = y;
        else
            bands.emplace_back(y, y);
    }
    return bands;
}

bool hasTextColour(const Pixels& tip, int textLeft, std::pair<int, int> band) {
    for (int y = band.first; y <= band.second; ++y)
        for (int x = textLeft; x < tip.width - 2; ++x)
            if (channelDiff(tip.at(x, y), kText) <= 10)
                return true;
    return false;
}

// Each of the five controls shows its own tip: rounded (what lies beneath shows at the corners), white
// to blue-grey, grey border, the control's icon (none for Right Pos, whose column stays empty), a label
// row above the description rows, the description wrapped at 200 pixels, below the pointer.
void caseTipsOfEveryControl() {
    App app;
    app.moveFrame(300, 200, 420, 300);
    const RECT panel = windowRect(app.panel);
    PatternWindow pattern(RECT{panel.right, panel.top - 40, panel.right + 520, panel.bottom + 240});
    const TextMeasure measure;
    sayKey("line_height", measure.lineHeight);
    check(measure.lineHeight > 0, "cannot measure the status font");

    struct Shown {
        const Tool* tool;
        int height;
        int textRows; // runs of rows with text: the label's, then the description's lines
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

        // A label row above one or more description rows, both in the text colour.
        const int textLeft = iconAt.x + kIconSize + 1;
        const auto bands = textBands(tip, textLeft);
        sayKey((name + "_text_bands").c_str(), static_cast<long long>(bands.size()));
        check(bands.size() >= 2, name + ": no separate label and description rows");
        check(hasTextColour(tip, textLeft, bands.front()), name + ": the label is not in the text colour");
        check(hasTextColour(tip, textLeft, bands.back()),
              name + ": the description is not in the text colour");
        // The text column is no wider than the description's wrapping width.
        check(w - textLeft <= kDescriptionWidth + 2 * iconAt.x,
              name + ": the tip is " + std::to_string(w) + " wide: the description was not wrapped");
        shown.push_back({&tool, h, static_cast<int>(bands.size())});
    }
    SetCursorPos(4, 4);

    // Descriptions that fit on a line give tips of one height with one description row; those that wrap
    // give taller tips with more rows.
    int oneLine = 0, wrapped = 0;
    for (const Shown& s : shown)
        if (!measure.wraps(s.tool->description))
            oneLine = oneLine ? oneLine : s.height;
    check(oneLine > 0, "no description fits on one line");
    for (const Shown& s : shown) {
        const std::string name = s.tool->name;
        if (!measure.wraps(s.tool->description)) {
            expectEq(name + ": height of a tip with a one-line description", oneLine, s.height);
            expectEq(name + ": text rows of a one-line description", 2, s.textRows);
            continue;
        }
        ++wrapped;
        check(s.height > oneLine, name + ": the wrapped description made the tip no taller");
        check(s.textRows >= 3, name + ": the wrapped description shows as one row");
    }
    check(wrapped > 0, "no description is wider than " + std::to_string(kDescriptionWidth) + " pixels");
}

const RegisterCase kTooltipCases[] = {
    {"tooltip_every_control", caseTipsOfEveryControl},
};

} // namespace
