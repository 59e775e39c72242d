#pragma once
// The panel's controls at a display scale: the layout the dialog manager made, taken to another scale, and
// a control widened where its text would be cut off.

#include "platform/rect.h"

#include <vector>

namespace panel {

// A control's rectangle in the panel's client coordinates.
struct ControlPlace {
    int id = 0;
    platform::Rect rect;
};

struct PanelLayout {
    int clientWidth = 0;
    int clientHeight = 0;
    std::vector<ControlPlace> controls;
    friend bool operator==(const PanelLayout& a, const PanelLayout& b) noexcept;
};

// The layout made at madeDpi as it is at dpi: every edge taken there alone (MulDiv), so that edges that
// touched or overlapped still do, and the way back to madeDpi gives the made layout exactly.
PanelLayout ScaleLayout(const PanelLayout& made, int madeDpi, int dpi);

// The layout with control id at least `width` wide: where it is narrower it grows to the right, into the
// room beside it first; where that is not enough the panel grows so that the margin right of the control is
// as wide as the one on its left, and the controls that reached the panel's right edge reach the new one.
// A control that is wide enough leaves the layout as it is.
PanelLayout WidenToFit(const PanelLayout& layout, int id, int width);

} // namespace panel
