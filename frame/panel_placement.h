#pragma once
// Where the panel goes beside the frame. Works on visible bounds, so that where the window manager
// adds invisible resize borders the visible edges still touch with no gap and no overlap.

#include "platform/rect.h"

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

} // namespace frame
