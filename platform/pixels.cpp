#include "platform/pixels.h"

#include <algorithm>

namespace platform {

namespace {

Rect Clip(PixelView view, const Rect& area) noexcept {
    return Rect{std::max(area.left, 0), std::max(area.top, 0), std::min(area.right, view.width),
                std::min(area.bottom, view.height)};
}

} // namespace

void SetAlpha(PixelView view, const Rect& area, std::uint8_t alpha) noexcept {
    const Rect r = Clip(view, area);
    const std::uint32_t a = static_cast<std::uint32_t>(alpha) << 24;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            std::uint32_t& p = view.pixels[y * view.stride + x];
            p = (p & 0x00FFFFFFu) | a;
        }
}

bool AnyAlpha(PixelView view, const Rect& area) noexcept {
    const Rect r = Clip(view, area);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (view.pixels[y * view.stride + x] >> 24)
                return true;
    return false;
}

} // namespace platform
