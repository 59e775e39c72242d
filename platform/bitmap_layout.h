#pragma once
// How pixels are laid out in the bitmaps Windows exchanges: rows padded to four bytes, and the packed
// device-independent bitmap the clipboard carries. Free of Win32 so that the byte layout is tested natively;
// the Win32 side checks its numbers against the real headers.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// A picture as one 0x00RRGGBB value a pixel, top row first, no padding between rows. The top byte is no
// part of the colour: every reader ignores it.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// Bytes in one row of a bitmap of the given width and depth: rows are padded to a multiple of four.
std::size_t RowStride(int width, int bitsPerPixel) noexcept;

// The size of a packed DIB (its 40-byte info header, then 24-bit rows, bottom row first) of a picture
// that size; 0 for an empty picture.
constexpr std::size_t kDibHeaderBytes = 40;
std::size_t PackedDibBytes(int width, int height) noexcept;

// Writes the packed DIB of the picture to out, which holds PackedDibBytes(width, height) bytes:
// BITMAPINFOHEADER with 24 bits a pixel, BI_RGB, a positive height (bottom row first), the image size,
// no resolution and no colour table, then the rows in blue, green, red order, padding zeroed. False, and
// nothing written, for an empty picture or one with fewer pixels than its size says.
bool WritePackedDib(const RgbPicture& picture, std::uint8_t* out) noexcept;

} // namespace platform
