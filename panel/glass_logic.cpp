#include "panel/glass_logic.h"

#include <algorithm>
#include <vector>

namespace panel {

GlassActions PlanGlassMode(bool glass, bool subclassed) noexcept {
    GlassActions actions;
    if (glass) {
        // The margins are set again at every switch to glass; the controls are taken over once.
        actions.setMargins = true;
        actions.attach = !subclassed;
    } else {
        // No margins are withdrawn: without composition no glass is drawn.
        actions.detach = subclassed;
    }
    return actions;
}

int PixelsToPointsAt(int pixels, int dotsPerInch) noexcept {
    return platform::MulDivRounded(pixels, 72, dotsPerInch);
}

int GlowSizeAt(int fontPixels, int dpi) noexcept {
    return platform::Scale(PixelsToPointsAt(fontPixels, dpi), dpi);
}

platform::Rect CheckLabelRect(const platform::Rect& client, int cx, int cy, int dpi) noexcept {
    platform::Rect r;
    r.left = client.left + platform::Scale(16, dpi);
    r.right = r.left + cx;
    r.top =
        (client.bottom - cy) / 2 + platform::Scale(1, dpi); // C++ division truncates toward zero, as intended
    r.bottom = r.top + cy;
    return r;
}

int OpaqueBandAt(int dpi) noexcept {
    return platform::Scale(3, dpi);
}

namespace {

// Largest value within radius along one axis (a separable square dilation).
void MaxPass(std::vector<int>& v, int w, int h, int radius, bool horizontal) {
    std::vector<int> out(v.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int best = 0;
            for (int d = -radius; d <= radius; ++d) {
                const int xx = horizontal ? x + d : x;
                const int yy = horizontal ? y : y + d;
                if (xx >= 0 && xx < w && yy >= 0 && yy < h)
                    best = std::max(best, v[yy * w + xx]);
            }
            out[y * w + x] = best;
        }
    v.swap(out);
}

// Mean within radius along one axis, outside the buffer counting as 0 (a separable box blur).
void BoxPass(std::vector<int>& v, int w, int h, int radius, bool horizontal) {
    std::vector<int> out(v.size());
    const int span = 2 * radius + 1;
    const int lines = horizontal ? h : w;
    const int length = horizontal ? w : h;
    for (int line = 0; line < lines; ++line) {
        auto at = [&](int i) { return horizontal ? v[line * w + i] : v[i * w + line]; };
        int sum = 0;
        for (int i = 0; i <= radius && i < length; ++i)
            sum += at(i);
        for (int i = 0; i < length; ++i) {
            const int index = horizontal ? line * w + i : i * w + line;
            out[index] = sum / span;
            if (i + radius + 1 < length)
                sum += at(i + radius + 1);
            if (i - radius >= 0)
                sum -= at(i - radius);
        }
    }
    v.swap(out);
}

// src over dst, both premultiplied 0xAARRGGBB.
std::uint32_t Over(std::uint32_t src, std::uint32_t dst) noexcept {
    const std::uint32_t keep = 255 - (src >> 24);
    std::uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t s = (src >> shift) & 0xFF;
        const std::uint32_t d = (dst >> shift) & 0xFF;
        result |= std::min<std::uint32_t>(255, s + (d * keep + 127) / 255) << shift;
    }
    return result;
}

std::uint32_t Premultiplied(std::uint32_t rgb, std::uint32_t alpha) noexcept {
    std::uint32_t result = alpha << 24;
    for (int shift = 0; shift < 24; shift += 8)
        result |= ((((rgb >> shift) & 0xFF) * alpha + 127) / 255) << shift;
    return result;
}

} // namespace

void DrawGlowingText(platform::PixelView view, const std::uint8_t* coverage, std::uint32_t rgb,
                     int glowSize) {
    const int w = view.width;
    const int h = view.height;
    if (w <= 0 || h <= 0)
        return;
    // The glow: the text thickened a little, then softened twice, which gives a halo that is dense
    // near the strokes and fades out about glowSize pixels from them.
    std::vector<int> glow(coverage, coverage + static_cast<size_t>(w) * h);
    const int spread = std::max(1, glowSize / 8);
    const int soften = std::max(1, glowSize / 4);
    MaxPass(glow, w, h, spread, true);
    MaxPass(glow, w, h, spread, false);
    for (int pass = 0; pass < 2; ++pass) {
        BoxPass(glow, w, h, soften, true);
        BoxPass(glow, w, h, soften, false);
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t a = static_cast<std::uint32_t>(std::min(225, glow[y * w + x] * 2));
            const std::uint32_t c = coverage[y * w + x];
            if (a == 0 && c == 0)
                continue;
            std::uint32_t& p = view.pixels[y * view.stride + x];
            p = Over(Premultiplied(0xFFFFFF, a), p);
            p = Over(Premultiplied(rgb, c), p);
        }
}

} // namespace panel
