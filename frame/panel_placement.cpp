#include "frame/panel_placement.h"

#include <algorithm>

namespace frame {

using platform::Rect;

namespace {

// The panel's visible bounds once its window stands at the placement.
Rect VisibleAt(const Placement& p, const Rect& panelBounds, const Rect& panelWindow) noexcept {
    const int dx = p.x - panelWindow.left, dy = p.y - panelWindow.top;
    return Rect{panelBounds.left + dx, panelBounds.top + dy, panelBounds.right + dx, panelBounds.bottom + dy};
}

bool Empty(const Rect& r) noexcept {
    return r.Width() <= 0 || r.Height() <= 0;
}

// Whether the monitors from `first` on cover the area: the parts of it outside one monitor that
// overlaps it must be covered by the monitors after that one.
bool CoveredFrom(const Rect& area, const std::vector<Rect>& monitors, size_t first) {
    if (Empty(area))
        return true;
    for (size_t i = first; i < monitors.size(); ++i) {
        const Rect& m = monitors[i];
        const int top = std::max(area.top, m.top), bottom = std::min(area.bottom, m.bottom);
        if (std::max(area.left, m.left) >= std::min(area.right, m.right) || top >= bottom)
            continue;
        const Rect outside[] = {
            {area.left, area.top, area.right, std::min(area.bottom, m.top)},
            {area.left, std::max(area.top, m.bottom), area.right, area.bottom},
            {area.left, top, std::min(area.right, m.left), bottom},
            {std::max(area.left, m.right), top, area.right, bottom},
        };
        return std::all_of(std::begin(outside), std::end(outside),
                           [&](const Rect& part) { return CoveredFrom(part, monitors, i + 1); });
    }
    return false;
}

long long Overlap(const Rect& a, const Rect& b) noexcept {
    const long long w = std::min(a.right, b.right) - std::max(a.left, b.left);
    const long long h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

long long GapSquared(const Rect& a, const Rect& b) noexcept {
    const long long gx = std::max({0, a.left - b.right, b.left - a.right});
    const long long gy = std::max({0, a.top - b.bottom, b.top - a.bottom});
    return gx * gx + gy * gy;
}

// The monitor the area overlaps most, or the closest one when it overlaps none.
const Rect& NearestMonitor(const Rect& area, const std::vector<Rect>& monitors) {
    return *std::min_element(monitors.begin(), monitors.end(), [&](const Rect& a, const Rect& b) {
        const long long oa = Overlap(area, a), ob = Overlap(area, b);
        if (oa != ob)
            return oa > ob;
        return GapSquared(area, a) < GapSquared(area, b);
    });
}

// How far a span must move to lie within [low, high); its start stays in view when it is longer.
int SlideInto(int start, int length, int low, int high) noexcept {
    int moved = start;
    if (moved + length > high)
        moved = high - length;
    if (moved < low)
        moved = low;
    return moved - start;
}

} // namespace

Placement PlacePanelBeside(const Rect& frameBounds, const Rect& panelBounds, const Rect& panelWindow,
                           bool right) noexcept {
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

bool CoveredByMonitors(const Rect& area, const std::vector<Rect>& monitors) {
    return CoveredFrom(area, monitors, 0);
}

Placement PlacePanelReachable(const Rect& frameBounds, const Rect& panelBounds, const Rect& panelWindow,
                              bool right, const std::vector<Rect>& monitors) {
    const Placement chosen = PlacePanelBeside(frameBounds, panelBounds, panelWindow, right);
    if (monitors.empty())
        return chosen;
    auto fits = [&](const Placement& p) {
        return CoveredByMonitors(VisibleAt(p, panelBounds, panelWindow), monitors);
    };
    auto slideVertically = [&](Placement p) {
        const Rect visible = VisibleAt(p, panelBounds, panelWindow);
        const Rect& m = NearestMonitor(visible, monitors);
        p.y += SlideInto(visible.top, visible.Height(), m.top, m.bottom);
        return p;
    };
    if (fits(chosen))
        return chosen;
    const Placement other = PlacePanelBeside(frameBounds, panelBounds, panelWindow, !right);
    if (fits(other))
        return other;
    const Placement chosenSlid = slideVertically(chosen);
    if (fits(chosenSlid))
        return chosenSlid;
    const Placement otherSlid = slideVertically(other);
    if (fits(otherSlid))
        return otherSlid;
    Placement across = chosenSlid;
    const Rect visible = VisibleAt(across, panelBounds, panelWindow);
    const Rect& m = NearestMonitor(visible, monitors);
    across.x += SlideInto(visible.left, visible.Width(), m.left, m.right);
    return across;
}

} // namespace frame
