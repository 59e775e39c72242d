#include "frame/dpi_change.h"

#include <algorithm>

namespace frame {

namespace {

// The start of a span of the given length nearest to `from` that lies inside [low, high) or covers it.
int NearestAllowed(int from, int length, int low, int high) noexcept {
    const int a = low, b = high - length;
    return std::clamp(from, std::min(a, b), std::max(a, b));
}

} // namespace

platform::Rect FrameRectAfterDpiChange(const platform::Rect& client, const platform::Rect& margins,
                                       const platform::Rect& suggested) noexcept {
    const platform::Rect around = platform::Outset(client, margins);
    const int width = around.Width(), height = around.Height();
    const int left = NearestAllowed(around.left, width, suggested.left, suggested.right);
    const int top = NearestAllowed(around.top, height, suggested.top, suggested.bottom);
    return {left, top, left + width, top + height};
}

} // namespace frame
