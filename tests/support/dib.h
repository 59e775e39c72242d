// The header of a 32-bit top-down DIB (top row first, one 0x00RRGGBB or premultiplied ARGB value a pixel):
// how tests and benchmarks read pixels out of a device and paint their own into one.
#pragma once

#include <windows.h>

namespace support {

inline BITMAPINFO topDownInfo(int width, int height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

} // namespace support
