#pragma once
// A bitmap's pixels read out into a plain picture, for encoding and the clipboard.

#include "platform/bitmap_layout.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace platform {

// The bitmap's pixels, top row first (a 32-bit DIB's fourth byte, unused, is left as GDI gives it); nothing
// for no bitmap, an empty one, or when the pixels cannot be read (no memory for them).
std::optional<RgbPicture> ReadBitmapPixels(HBITMAP bitmap);

// The bitmap as a PNG file (the program's own writer, imaging/png_writer): what Save writes for .png and the
// clipboard gives as "PNG". Empty when its pixels cannot be read; throws std::bad_alloc when memory runs out.
std::vector<std::uint8_t> PngFileOf(HBITMAP bitmap);

} // namespace platform
