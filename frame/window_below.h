#pragma once
// Fitting the frame to the window below it: which top-level window lies beneath the inner area's centre,
// and the inner area that takes the place and size of that window's client area.

#include "frame/placement_rules.h"
#include "platform/rect.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace frame {

// A top-level window as the frame sees it when it looks below itself.
struct WindowBelow {
    platform::Rect bounds;     // the window's rectangle on the screen
    platform::Rect client;     // its client area on the screen
    bool ours = false;         // a window of this program (the frame, the panel, a tip)
    bool shown = false;        // visible, not minimised, not cloaked by the window manager
    bool clickThrough = false; // WS_EX_TRANSPARENT: an overlay the pointer passes through
    bool desktop = false;      // the desktop or the shell's window that draws it
};

// The first window, in the top-down order given, that is shown, not ours, not the desktop, not an overlay
// the pointer passes through, and whose rectangle holds the point; none when there is no such window.
std::optional<std::size_t> PickWindowBelow(const std::vector<WindowBelow>& topDown, int x, int y);

// The inner area for a window's client area: clipped to the virtual screen (the monitors' bounding box),
// then held to the frame's smallest and largest inner sizes with its top-left corner kept. None when nothing
// of it lies on the virtual screen.
std::optional<platform::Rect> FitInnerAreaTo(const platform::Rect& client, const Desktop& desktop);

// The message when no window lies beneath the inner area's centre.
inline constexpr wchar_t kNoWindowBelowText[] = L"枠の中央の下にウィンドウがありません。\r\n"
                                                L"合わせたいウィンドウの上に枠の中央を置いてください.";

} // namespace frame
