// The screen as the driver sees it, and a window of the driver's own painted with a known pattern to look
// through the frame at.
#pragma once

#include "tests/e2e/driver_window.h"
#include "tests/e2e/report.h"
#include "tests/e2e/wait.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

struct Pixels {
    int width = 0, height = 0;
    std::vector<uint32_t> rgb; // 0x00RRGGBB, top row first
    uint32_t at(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};
// What draw(dc) draws into a width x height bitmap of the driver's own (dc a memory DC like the screen's, the
// bitmap selected); empty when the bitmap cannot be made.
Pixels drawnPixels(int width, int height, const std::function<void(HDC)>& draw);
// The pixels the screen shows in area.
Pixels captureScreen(const RECT& area);
// Writes pixels as a 24-bit BMP file; false when it cannot be written.
bool writeBmp(const std::wstring& path, const Pixels& px);
// The whole virtual screen as a BMP file.
bool saveScreenBmp(const std::wstring& path);
std::string colourText(uint32_t rgb);
// Fills rect of dc with one colour (0x00RRGGBB).
void fillSolid(HDC dc, const RECT& rect, uint32_t rgb);

// A non-topmost borderless window of this driver (own thread) painted with patternColour(x, y, variant) in
// its own coordinates; it never becomes active. Variant 0 never holds the frame's key colour; variant 1
// sprinkles key-coloured pixels (RGB(1,0,0)) among its others; variant 2 differs from both everywhere.
// Variant 3 has exactly kFewColours colours in small tiles (like a flat user interface), variant 4 is
// smooth shading with fine grain (like a photograph), variant 5 is one flat colour.
constexpr int kFewColours = 211;
uint32_t patternColour(int x, int y, int variant = 0);
class PatternWindow {
public:
    explicit PatternWindow(const RECT& screenRect, int variant = 0);
    PatternWindow(const PatternWindow&) = delete;
    PatternWindow& operator=(const PatternWindow&) = delete;
    HWND hwnd() const { return window_.hwnd(); }
    const RECT& rect() const { return rect_; }
    // Colour expected on screen at a screen point covered by this window.
    uint32_t expectedAt(int screenX, int screenY) const { return colourAt(screenX, screenY, variant_); }
    // Colour the given variant has at a screen point (what the screen showed before a variant change).
    uint32_t colourAt(int screenX, int screenY, int variant) const {
        return patternColour(screenX - rect_.left, screenY - rect_.top, variant);
    }
    // Repaints the window with another variant and waits until the paint is done.
    void setVariant(int variant);
    int variant() const { return variant_; }

private:
    RECT rect_;
    int variant_ = 0;
    WindowThread window_;
};

// How many pixels of px (whose top-left is at left, top) differ from expected(x, y); the first is described
// in `first`.
template <class Expected>
long countDifferences(const Pixels& px, Expected expected, std::string& first, int left = 0, int top = 0) {
    long bad = 0;
    for (int y = 0; y < px.height; ++y)
        for (int x = 0; x < px.width; ++x) {
            const uint32_t want = expected(left + x, top + y), got = px.at(x, y);
            if (got != want && bad++ == 0)
                first = "(" + std::to_string(left + x) + "," + std::to_string(top + y) + ") expected " +
                        colourText(want) + " got " + colourText(got);
        }
    return bad;
}

// Compares the screen over rect (clipped to the screen) with expected(x, y); polls while the screen settles.
template <class Expected> void expectScreen(const RECT& rect, Expected expected, const std::string& what) {
    RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, area;
    check(IntersectRect(&area, &rect, &screen), what + ": the area is off the screen");
    long bad = 0;
    std::string first;
    bool same = waitFor(
        [&] {
            bad = countDifferences(captureScreen(area), expected, first, area.left, area.top);
            return bad == 0;
        },
        5000, 100);
    if (!same)
        fail(what + ": " + std::to_string(bad) + " pixels differ, first at " + first);
}

} // namespace e2e
