#pragma once
// The desktop window manager, reached through dwmapi.dll bound on first use, so the program also
// starts where that library is missing. It is asked only on systems of major version 6 or later.

#include <windows.h>
#include <uxtheme.h>

namespace platform {

// The window's extended frame bounds (what the user sees of it, without invisible resize borders);
// false on an older system, without dwmapi.dll, or when the window manager has none.
bool GetExtendedFrameBounds(HWND wnd, RECT& bounds) noexcept;

// True when the window manager keeps the window out of sight although it is visible (Windows 8 and later:
// a suspended app, a window on another virtual desktop).
bool IsCloaked(HWND wnd) noexcept;

// Whether desktop composition is on, written to *enabled (when given). On a system older than major
// version 6, or when its version cannot be read, writes false and answers -1 without asking the DWM.
HRESULT CheckComposition(bool* enabled) noexcept;
// Extends the glass frame into the client area of wnd; -1 without a call on an older system.
HRESULT ExtendFrameIntoClient(HWND wnd, const MARGINS* margins) noexcept;
// Waits until the window manager, composing the screen, has put on it what was drawn (and hidden) so far;
// for while composition is on. Nothing on an older system.
void FlushComposition() noexcept;
// Turns off the window manager's animations of wnd (DWMWA_TRANSITIONS_FORCEDISABLED), so that hiding it
// takes it off the screen at once; -1 without a call on an older system.
HRESULT DisableTransitions(HWND wnd) noexcept;

} // namespace platform
