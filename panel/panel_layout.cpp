#include "panel/panel_layout.h"

#include "platform/dpi_scale.h"

#include <algorithm>

namespace panel {

bool operator==(const PanelLayout& a, const PanelLayout& b) noexcept {
    if (a.clientWidth != b.clientWidth || a.clientHeight != b.clientHeight ||
        a.controls.size() != b.controls.size())
        return false;
    for (size_t i = 0; i < a.controls.size(); ++i)
        if (a.controls[i].id != b.controls[i].id || !(a.controls[i].rect == b.controls[i].rect))
            return false;
    return true;
}

PanelLayout ScaleLayout(const PanelLayout& made, int madeDpi, int dpi) {
    if (madeDpi <= 0 || dpi == madeDpi)
        return made;
    auto at = [&](int v) { return platform::MulDivRounded(v, dpi, madeDpi); };
    PanelLayout scaled;
    scaled.clientWidth = at(made.clientWidth);
    scaled.clientHeight = at(made.clientHeight);
    for (const ControlPlace& c : made.controls)
        scaled.controls.push_back(
            {c.id, {at(c.rect.left), at(c.rect.top), at(c.rect.right), at(c.rect.bottom)}});
    return scaled;
}

PanelLayout WidenToFit(const PanelLayout& layout, int id, int width) {
    PanelLayout fitted = layout;
    for (ControlPlace& c : fitted.controls) {
        if (c.id != id || c.rect.Width() >= width)
            continue;
        c.rect.right = c.rect.left + width;
        // The room right of the control is taken first; the panel grows by what it lacks, and keeps a margin
        // right of the control as wide as the one on its left.
        const int needed = c.rect.right + std::max(0, c.rect.left);
        if (needed <= layout.clientWidth)
            return fitted;
        fitted.clientWidth = needed;
        for (ControlPlace& other : fitted.controls)
            if (other.rect.right == layout.clientWidth)
                other.rect.right = needed;
        return fitted;
    }
    return fitted;
}

} // namespace panel
