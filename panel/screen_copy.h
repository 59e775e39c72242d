#pragma once
// Copies what the screen shows into bitmaps in the screen's own format.

#include "platform/unique_handle.h"

#include <windows.h>

namespace panel {

// The pixels under the window's client area, as they lie on the screen (not clipped to a monitor).
// Empty when the bitmap cannot be made (no memory for it, an empty client area).
platform::UniqueBitmap CopyScreenUnderClient(HWND wnd);

// A bitmap of its own with the same pixels; empty on failure.
platform::UniqueBitmap DuplicateBitmap(HBITMAP source);

} // namespace panel
