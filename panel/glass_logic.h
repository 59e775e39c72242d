#pragma once
// Decisions of the panel's glass look that need no window: what switching the look does, where the
// check box's label goes, a height in points (the size of its glow), and the pixel work done on a paint
// buffer where the system leaves alpha or glow undone.

#include "platform/dpi_scale.h"
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

// A height in pixels as points at dotsPerInch.
int PixelsToPointsAt(int pixels, int dotsPerInch) noexcept;
// The width in pixels of the glow around the check box's label at the display scale dpi: the label font's
// character height in points, as pixels at 96 dpi and in proportion at larger scales.
int GlowSizeAt(int fontPixels, int dpi) noexcept;

// Where the check box's label of extent cx x cy is drawn at the display scale dpi: right of the box column
// (16 pixels at 96 dpi), centred down the control, one pixel lower (at 96 dpi).
platform::Rect CheckLabelRect(const platform::Rect& client, int cx, int cy,
                              int dpi = platform::kDefaultDpi) noexcept;

// The band along a push button's edge that keeps the alpha of the button's own drawing on glass: 3 pixels at
// 96 dpi.
int OpaqueBandAt(int dpi) noexcept;

// Draws text of colour rgb (0x00RRGGBB) with a soft white glow glowSize pixels wide into the buffer,
// over what is there. coverage holds, for every pixel of the buffer, how much of it the text covers
// (0 to 255). Used where the system draws text without composition and glow.
void DrawGlowingText(platform::PixelView view, const std::uint8_t* coverage, std::uint32_t rgb, int glowSize);

} // namespace panel
