#pragma once
// Where the panel goes beside the frame. Works on visible bounds, so that where the window manager
// adds invisible resize borders the visible edges still touch with no gap and no overlap.

#include "platform/rect.h"

#include <vector>

namespace frame {

struct Placement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// frameBounds: the frame's visible bounds; panelBounds and panelWindow: the panel's visible bounds
// and window rectangle. The panel keeps its size; its visible top is level with the frame's, and its
// visible left edge sits on the frame's right edge (right = true) or its visible right edge on the
// frame's left edge.
Placement PlacePanelBeside(const platform::Rect& frameBounds, const platform::Rect& panelBounds,
                           const platform::Rect& panelWindow, bool right) noexcept;

// As PlacePanelBeside, but the panel stays where it can be used: when it would not lie wholly on the
// monitors on the chosen side and would on the other, it docks on the other; when it would reach above or
// below them, it slides up or down just enough. Only when neither side has room does it slide sideways
// too, onto the nearest monitor. With no monitors given it is PlacePanelBeside.
Placement PlacePanelReachable(const platform::Rect& frameBounds, const platform::Rect& panelBounds,
                              const platform::Rect& panelWindow, bool right,
                              const std::vector<platform::Rect>& monitors);

// True when the rectangle lies wholly on the monitors (an empty one always does).
bool CoveredByMonitors(const platform::Rect& area, const std::vector<platform::Rect>& monitors);

} // namespace frame
