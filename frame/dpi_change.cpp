#include "frame/dpi_change.h"

#include "platform/dpi_scale.h"

#include <algorithm>
#include <cstdlib>

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

Size ClientSizeThroughScaleChange(const Size& proposedWindow, const Size& presentWindow,
                                  const Size& presentClient, int presentDpi, int newDpi) noexcept {
    using platform::MulDivRounded;
    if (presentDpi <= 0 || newDpi <= 0)
        return presentClient;
    // The system's own rounding of the scaled size is not known to the pixel.
    auto near = [](int a, int b) { return std::abs(a - b) <= 1; };
    if (near(proposedWindow.width, MulDivRounded(presentWindow.width, newDpi, presentDpi)) &&
        near(proposedWindow.height, MulDivRounded(presentWindow.height, newDpi, presentDpi)))
        return presentClient;
    const int width =
        MulDivRounded(proposedWindow.width, presentDpi, newDpi) - (presentWindow.width - presentClient.width);
    const int height = MulDivRounded(proposedWindow.height, presentDpi, newDpi) -
                       (presentWindow.height - presentClient.height);
    return {std::max(1, width), std::max(1, height)};
}

} // namespace frame
