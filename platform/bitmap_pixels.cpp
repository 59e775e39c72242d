#include "platform/bitmap_pixels.h"

#include "imaging/png_writer.h"
#include "platform/unique_handle.h"

#include <new>

namespace platform {

std::optional<RgbPicture> ReadBitmapPixels(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight == 0)
        return std::nullopt;
    RgbPicture picture;
    picture.width = info.bmWidth;
    picture.height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    try {
        picture.pixels.resize(static_cast<std::size_t>(picture.width) *
                              static_cast<std::size_t>(picture.height));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    BITMAPINFO request{};
    request.bmiHeader.biSize = sizeof(request.bmiHeader);
    request.bmiHeader.biWidth = picture.width;
    request.bmiHeader.biHeight = -picture.height; // top row first
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    WindowDcScope screen(nullptr);
    if (::GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(picture.height), picture.pixels.data(),
                    &request, DIB_RGB_COLORS) != picture.height)
        return std::nullopt;
    return picture;
}

// Screen pictures have no alpha: the fourth byte GDI gives is no part of the picture.
std::vector<std::uint8_t> PngFileOf(HBITMAP bitmap) {
    const std::optional<RgbPicture> pixels = ReadBitmapPixels(bitmap);
    return pixels ? imaging::EncodePng(pixels->pixels.data(), pixels->width, pixels->height)
                  : std::vector<std::uint8_t>{};
}

} // namespace platform
