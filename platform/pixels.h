#pragma once
// Plain views of 32-bpp pixel buffers and the alpha work done on them.

#include "platform/rect.h"

#include <cstdint>

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

} // namespace platform
