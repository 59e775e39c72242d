#pragma once
// The monitors of the desktop as plain rectangles, for the decisions that keep windows on them.

#include "platform/rect.h"

#include <vector>

namespace platform {

// Every monitor's rectangle in screen pixels, the primary one's origin at (0, 0).
std::vector<Rect> MonitorRects();

// Every monitor, in the order of MonitorRects, with its display scale (Windows 8.1 and later; the system's
// one scale elsewhere).
struct MonitorAtScale {
    Rect rect;
    int dpi;
};
std::vector<MonitorAtScale> MonitorsAtScale();

// The work area of the monitor a window rectangle lies on most (or nearest to).
Rect WorkAreaFor(const Rect& window);

} // namespace platform
