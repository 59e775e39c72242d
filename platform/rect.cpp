#include "platform/rect.h"

namespace platform {

Rect Outset(const Rect& r, const Rect& margins) noexcept {
    return {r.left - margins.left, r.top - margins.top, r.right + margins.right, r.bottom + margins.bottom};
}

Rect Inset(const Rect& r, const Rect& margins) noexcept {
    return {r.left + margins.left, r.top + margins.top, r.right - margins.right, r.bottom - margins.bottom};
}

Rect CentreRectIn(const Rect& centre, const Rect& area, int width, int height) noexcept {
    int x = (centre.left + centre.right) / 2 - width / 2;
    int y = (centre.top + centre.bottom) / 2 - height / 2;
    if (x + width > area.right)
        x = area.right - width;
    if (x < area.left)
        x = area.left;
    if (y + height > area.bottom)
        y = area.bottom - height;
    if (y < area.top)
        y = area.top;
    return {x, y, x + width, y + height};
}

} // namespace platform
