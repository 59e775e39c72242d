#pragma once
// Plain views of 32-bpp pixel buffers and the alpha work done on them.

#include "platform/rect.h"

#include <cstdint>
#include <vector>

namespace platform {

// A top-down buffer of premultiplied pixels 0xAARRGGBB; stride in pixels.
struct PixelView {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
};

// Gives every pixel of area (clipped to the buffer) the alpha given, colours kept as they are.
void SetAlpha(PixelView view, const Rect& area, std::uint8_t alpha) noexcept;
// True when some pixel of area (clipped to the buffer) has a non-zero alpha.
bool AnyAlpha(PixelView view, const Rect& area) noexcept;

// A top-down picture of premultiplied pixels (0xAARRGGBB) resampled to width x height by area: each new
// pixel is the mean of the part of the picture it covers, every channel weighted alike. Shrinking keeps
// thin lines and soft edges as the eye would see them at the smaller size, with no dark fringe where
// transparent pixels meet opaque ones; the same size gives the picture back unchanged.
std::vector<std::uint32_t> ResampleByArea(const std::uint32_t* pixels, int fromWidth, int fromHeight,
                                          int width, int height);

} // namespace platform
