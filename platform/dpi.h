#pragma once
// The display scale of a window and the system's sizes at a scale. Windows 10 answers for each window and
// Windows 8.1 for each monitor; older systems have one scale for every monitor, which is then the answer.

#include "platform/rect.h"

#include <windows.h>

namespace platform {

// The one scale of older systems (the screen's LOGPIXELSX).
int SystemDpi() noexcept;
// The scale wnd is drawn at: its own (Windows 10), its monitor's (Windows 8.1), else the system's.
int WindowDpi(HWND wnd) noexcept;

// How far the window rectangle of a window with wnd's styles reaches beyond its client area on each side at
// dpi (all four positive for a framed window).
Rect NonClientMargins(HWND wnd, int dpi) noexcept;
// A system metric (SM_...) at dpi.
int SystemMetricAt(int index, int dpi) noexcept;
// The fonts and sizes of window frames, menus and status bars at dpi.
NONCLIENTMETRICSW NonClientMetricsAt(int dpi) noexcept;

// WM_GETDPISCALEDSIZE (Windows 10): the system asks a window what size it takes at a new scale.
inline constexpr UINT kWmGetDpiScaledSize = 0x02E4;

// Moves wnd to `window`, a rectangle computed to hold its client area at `client` (both on the screen). Where
// the system's frame around the client area is otherwise than computed, the window's rectangle takes the
// difference, so that the client area is exactly `client`.
void MoveWindowAroundClient(HWND wnd, const Rect& window, const Rect& client) noexcept;

// Keeps the dialog manager from laying out and resizing a dialog itself when its scale changes (Windows 10),
// for a dialog that does that itself.
void KeepDialogLayoutOnDpiChange(HWND dialog) noexcept;

} // namespace platform
