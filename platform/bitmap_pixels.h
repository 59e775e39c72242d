#pragma once
// A bitmap's pixels read out into a plain picture, for encoding and the clipboard.

#include "platform/bitmap_layout.h"

#include <windows.h>

#include <optional>

namespace platform {

// The bitmap's pixels, top row first (a 32-bit DIB's fourth byte, unused, is left as GDI gives it); nothing
// for no bitmap, an empty one, or when the pixels cannot be read (no memory for them).
std::optional<RgbPicture> ReadBitmapPixels(HBITMAP bitmap);

} // namespace platform
