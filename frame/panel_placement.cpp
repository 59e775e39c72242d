#include "frame/panel_placement.h"

namespace frame {

Placement PlacePanelBeside(const platform::Rect& frameBounds, const platform::Rect& panelBounds,
                           const platform::Rect& panelWindow, bool right) noexcept {
    // How far the window rectangle reaches beyond the visible bounds (zero or negative).
    const int dx = panelWindow.left - panelBounds.left;
    const int dy = panelWindow.top - panelBounds.top;
    Placement p;
    p.y = frameBounds.top + dy;
    p.x = right ? frameBounds.right + dx : frameBounds.left - panelBounds.Width() + dx;
    p.width = panelWindow.Width();
    p.height = panelWindow.Height();
    return p;
}

} // namespace frame
