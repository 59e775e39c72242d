#include "platform/bitmap_layout.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

void PutLittleEndian(std::uint8_t* at, std::uint32_t value, int bytes) noexcept {
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

} // namespace

std::size_t RowStride(int width, int bitsPerPixel) noexcept {
    if (width <= 0 || bitsPerPixel <= 0)
        return 0;
    return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel) + 31) / 32 * 4;
}

std::size_t PackedDibBytes(int width, int height) noexcept {
    if (width <= 0 || height <= 0)
        return 0;
    return kDibHeaderBytes + RowStride(width, 24) * static_cast<std::size_t>(height);
}

bool WritePackedDib(const RgbPicture& picture, std::uint8_t* out) noexcept {
    const std::size_t total = PackedDibBytes(picture.width, picture.height);
    if (total == 0 || picture.pixels.size() < static_cast<std::size_t>(picture.width) * picture.height)
        return false;
    const std::size_t stride = RowStride(picture.width, 24);
    std::memset(out, 0, kDibHeaderBytes);
    PutLittleEndian(out + 0, static_cast<std::uint32_t>(kDibHeaderBytes), 4); // biSize
    PutLittleEndian(out + 4, static_cast<std::uint32_t>(picture.width), 4);
    PutLittleEndian(out + 8, static_cast<std::uint32_t>(picture.height), 4); // positive: bottom row first
    PutLittleEndian(out + 12, 1, 2);                                         // biPlanes
    PutLittleEndian(out + 14, 24, 2);                                        // biBitCount
    // biCompression BI_RGB (0) stays; biSizeImage:
    PutLittleEndian(out + 20, static_cast<std::uint32_t>(total - kDibHeaderBytes), 4);
    // 24 bits rather than 32: a reader that takes the fourth byte for alpha would see a clear picture.
    for (int y = 0; y < picture.height; ++y) {
        const std::uint32_t* from = picture.pixels.data() + static_cast<std::size_t>(y) * picture.width;
        std::uint8_t* row = out + kDibHeaderBytes + static_cast<std::size_t>(picture.height - 1 - y) * stride;
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t c = from[x];
            row[3 * x + 0] = static_cast<std::uint8_t>(c);
            row[3 * x + 1] = static_cast<std::uint8_t>(c >> 8);
            row[3 * x + 2] = static_cast<std::uint8_t>(c >> 16);
        }
        std::fill(row + 3 * static_cast<std::size_t>(picture.width), row + stride, std::uint8_t{0});
    }
    return true;
}

} // namespace platform
