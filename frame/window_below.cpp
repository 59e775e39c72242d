#include "frame/window_below.h"

#include <algorithm>

namespace frame {

using platform::Rect;

std::optional<std::size_t> PickWindowBelow(const std::vector<WindowBelow>& topDown, int x, int y) {
    for (std::size_t i = 0; i < topDown.size(); ++i) {
        const WindowBelow& w = topDown[i];
        if (w.ours || !w.shown || w.clickThrough || w.desktop)
            continue;
        if (x >= w.bounds.left && x < w.bounds.right && y >= w.bounds.top && y < w.bounds.bottom)
            return i;
    }
    return std::nullopt;
}

std::optional<Rect> FitInnerAreaTo(const Rect& client, const Desktop& desktop) {
    if (desktop.monitors.empty())
        return std::nullopt;
    Rect screen = desktop.monitors.front();
    for (const Rect& m : desktop.monitors)
        screen = {std::min(screen.left, m.left), std::min(screen.top, m.top), std::max(screen.right, m.right),
                  std::max(screen.bottom, m.bottom)};
    const Rect clipped{std::max(client.left, screen.left), std::max(client.top, screen.top),
                       std::min(client.right, screen.right), std::min(client.bottom, screen.bottom)};
    if (clipped.Width() <= 0 || clipped.Height() <= 0)
        return std::nullopt;
    // The sizes the frame may have where the fitted area puts it, at that monitor's scale.
    const SizeLimits limits = LimitsWhere(clipped, desktop);
    const int width = std::clamp(clipped.Width(), limits.smallest.width,
                                 std::max(limits.smallest.width, limits.largest.width));
    const int height = std::clamp(clipped.Height(), limits.smallest.height,
                                  std::max(limits.smallest.height, limits.largest.height));
    return Rect{clipped.left, clipped.top, clipped.left + width, clipped.top + height};
}

} // namespace frame
