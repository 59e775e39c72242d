#include "platform/bitmap_layout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using platform::PackedDibBytes;
using platform::RgbPicture;
using platform::RowStride;
using platform::WritePackedDib;

std::uint32_t Read(const std::vector<std::uint8_t>& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
    return value;
}

TEST(BitmapLayout, RowsArePaddedToFourBytes) {
    struct Row {
        int width, bits;
        std::size_t stride;
    };
    const Row rows[] = {{1, 24, 4}, {3, 24, 12}, {4, 24, 12}, {5, 24, 16}, {1, 8, 4},
                        {4, 8, 4},  {5, 8, 8},   {7, 32, 28}, {0, 24, 0},  {-3, 8, 0}};
    for (const Row& r : rows)
        EXPECT_EQ(r.stride, RowStride(r.width, r.bits)) << r.width << " pixels of " << r.bits << " bits";
}

// Three pixels a row need nine bytes and get three of padding; the bottom row comes first, each pixel blue,
// green, red; the top byte of a pixel is not written.
TEST(BitmapLayout, PackedDibHoldsEveryPixelBottomRowFirst) {
    const RgbPicture picture{3, 2, {0x112233, 0x445566, 0xFF778899, 0x0000FF, 0x00FF00, 0xFF0000}};
    std::vector<std::uint8_t> dib(PackedDibBytes(3, 2), 0xAB);
    ASSERT_EQ(40u + 2 * 12u, dib.size());
    ASSERT_TRUE(WritePackedDib(picture, dib.data()));

    EXPECT_EQ(40u, Read(dib, 0, 4));  // biSize
    EXPECT_EQ(3u, Read(dib, 4, 4));   // biWidth
    EXPECT_EQ(2u, Read(dib, 8, 4));   // biHeight, positive: bottom-up
    EXPECT_EQ(1u, Read(dib, 12, 2));  // biPlanes
    EXPECT_EQ(24u, Read(dib, 14, 2)); // biBitCount
    EXPECT_EQ(0u, Read(dib, 16, 4));  // BI_RGB
    EXPECT_EQ(24u, Read(dib, 20, 4)); // biSizeImage
    for (std::size_t at = 24; at < 40; at += 4)
        EXPECT_EQ(0u, Read(dib, at, 4)) << "header byte " << at;

    const std::vector<std::uint8_t> rows(dib.begin() + 40, dib.end());
    const std::vector<std::uint8_t> expected = {
        0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0, 0, 0, // bottom row
        0x33, 0x22, 0x11, 0x66, 0x55, 0x44, 0x99, 0x88, 0x77, 0, 0, 0, // top row
    };
    EXPECT_EQ(expected, rows);
}

TEST(BitmapLayout, PackedDibRefusesPicturesItCannotHold) {
    std::vector<std::uint8_t> out(64, 0xAB);
    EXPECT_EQ(0u, PackedDibBytes(0, 5));
    EXPECT_FALSE(WritePackedDib(RgbPicture{0, 5, {}}, out.data()));
    EXPECT_FALSE(WritePackedDib(RgbPicture{2, 2, {1, 2, 3}}, out.data())); // a pixel short
    EXPECT_EQ(std::vector<std::uint8_t>(64, 0xAB), out);
}

} // namespace
