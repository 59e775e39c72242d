#pragma once
// A 32-bit top-down DIB section: pixels the program reads and writes itself (one 0xAARRGGBB value a pixel,
// top row first) and draws with GDI.

#include "platform/unique_handle.h"

#include <windows.h>

#include <cstdint>

namespace platform {

// A width x height DIB section compatible with `like`, its pixels in *bits (null on failure, with an empty
// owner).
inline UniqueBitmap CreateTopDownDib(HDC like, int width, int height, std::uint32_t** bits) noexcept {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    UniqueBitmap dib(::CreateDIBSection(like, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    *bits = dib ? static_cast<std::uint32_t*>(pixels) : nullptr;
    return dib;
}

} // namespace platform
