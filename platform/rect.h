#pragma once
// Plain rectangle for the decisions that never touch Win32 (left, top, right, bottom in signed pixels).

namespace platform {

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const noexcept { return right - left; }
    int Height() const noexcept { return bottom - top; }
    friend bool operator==(const Rect& a, const Rect& b) noexcept {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
};

// The rectangle with each side moved outward by the margin given for that side (margins: left, top, right,
// bottom, positive outward): a window's rectangle around its client area.
Rect Outset(const Rect& r, const Rect& margins) noexcept;
// Each side moved inward by its margin: the client area inside a window's rectangle.
Rect Inset(const Rect& r, const Rect& margins) noexcept;

// Where a window of width x height goes when centred on centre and then pulled back inside area
// (right and bottom edges first, so a window larger than the area keeps its top-left corner in view).
Rect CentreRectIn(const Rect& centre, const Rect& area, int width, int height) noexcept;

} // namespace platform
