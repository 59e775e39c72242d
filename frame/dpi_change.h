#pragma once
// Where the frame goes when its display scale changes (it crosses to a monitor of another scale, or its
// monitor's scale is changed). The client area keeps its size in pixels, so the region it marks does not
// change; only the frame around it follows the new scale.

#include "platform/rect.h"

namespace frame {

// client: the client area on the screen; margins: how far the window reaches beyond the client area on each
// side at the new scale (positive); suggested: the window rectangle the system suggests at the new scale.
// The new window rectangle holds the client area at its size, with the new margins around it, and stays
// where it was as far as the suggestion allows: along each axis it lies inside the suggestion where it is
// no larger and covers it where it is larger, at the place nearest to where it was. The suggestion keeps
// the window on the monitor whose scale it takes.
platform::Rect FrameRectAfterDpiChange(const platform::Rect& client, const platform::Rect& margins,
                                       const platform::Rect& suggested) noexcept;

} // namespace frame
