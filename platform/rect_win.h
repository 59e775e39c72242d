#pragma once
// Conversions between the plain rectangle of the decision files and Win32's RECT, at the Win32 edge.

#include "platform/rect.h"

#include <windows.h>

namespace platform {

inline Rect ToRect(const RECT& r) noexcept {
    return Rect{r.left, r.top, r.right, r.bottom};
}

inline RECT ToRECT(const Rect& r) noexcept {
    return RECT{r.left, r.top, r.right, r.bottom};
}

} // namespace platform
