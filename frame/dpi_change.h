#pragma once
// Where the frame goes when its display scale changes (it crosses to a monitor of another scale, or its
// monitor's scale is changed). The client area keeps its size in pixels, so the region it marks does not
// change; only the frame around it follows the new scale.

#include "frame/placement_rules.h"
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

// The client area's size the frame keeps when the system asks what size it takes at a new scale, proposing a
// window size (WM_GETDPISCALEDSIZE): that of the client area of the window the system scaled. Where the
// proposal is the present window taken to the new scale (the frame crossing to another monitor as it is),
// that is the present client area; otherwise the system is scaling a window of another size that someone
// asked for, whose client area is the proposal taken back to the present scale, less the present borders and
// caption.
Size ClientSizeThroughScaleChange(const Size& proposedWindow, const Size& presentWindow,
                                  const Size& presentClient, int presentDpi, int newDpi) noexcept;

} // namespace frame
