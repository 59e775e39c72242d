#pragma once
// Decisions of the panel's glass look that need no window: what switching the look does, where the
// check box's label goes, a height in points (the size of its glow), and the pixel work done on a paint
// buffer where the system leaves alpha or glow undone.

#include "platform/pixels.h"
#include "platform/rect.h"

#include <cstdint>

namespace panel {

// What bringing the panel into line with the glass flag does; the panel repaints in every case.
struct GlassActions {
    bool setMargins = false; // extend the glass over the client area
    bool attach = false;     // take over the five controls
    bool detach = false;     // let them go
    friend bool operator==(const GlassActions& a, const GlassActions& b) noexcept {
        return a.setMargins == b.setMargins && a.attach == b.attach && a.detach == b.detach;
    }
};
GlassActions PlanGlassMode(bool glass, bool subclassed) noexcept;

// a * b / c rounded to the nearest integer, halves away from zero; -1 when c is 0 or the result
// does not fit, as the system's MulDiv answers.
int MulDivRounded(int a, int b, int c) noexcept;
// A height in pixels as points at dotsPerInch.
int PixelsToPointsAt(int pixels, int dotsPerInch) noexcept;

// Where the check box's label of extent cx x cy is drawn: right of the 16-pixel box column, centred
// down the control, one pixel lower.
platform::Rect CheckLabelRect(const platform::Rect& client, int cx, int cy) noexcept;

// Draws text of colour rgb (0x00RRGGBB) with a soft white glow glowSize pixels wide into the buffer,
// over what is there. coverage holds, for every pixel of the buffer, how much of it the text covers
// (0 to 255). Used where the system draws text without composition and glow.
void DrawGlowingText(platform::PixelView view, const std::uint8_t* coverage, std::uint32_t rgb, int glowSize);

} // namespace panel
