#pragma once
// Reduces a picture to at most 256 colours for an indexed file (GIF): a picture that has no more keeps
// exactly its own colours; any other gets a palette chosen from its own colours and each pixel the nearest of
// them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace imaging {

// A picture as palette indices, one per pixel, top row first.
struct IndexedPicture {
    std::vector<std::uint32_t> palette; // 0x00RRGGBB; at most 256, no two alike, each used by some pixel
    std::vector<std::uint8_t> indices;  // width * height entries
    bool exact = false;                 // every pixel is exactly its palette colour
};

// pixels: width * height values 0x00RRGGBB, top row first (a 32-bpp top-down DIB; the top byte is ignored).
// A picture without pixels (width or height zero or less) gives an empty palette and no indices.
IndexedPicture QuantizeColours(const std::uint32_t* pixels, int width, int height);

// The picture's own colours, in the order they first appear, and each pixel's index, when it has at most 256
// (the top bytes ignored); nothing otherwise, read only as far as the 257th colour. Nothing for no pixels.
std::optional<IndexedPicture> ExactColours(const std::uint32_t* pixels, int width, int height);

// The index of the palette colour nearest to each pixel (squared distance in RGB; among equally near ones,
// the lowest index). The top bytes of pixels and palette are ignored. An empty palette gives no indices.
std::vector<std::uint8_t> MapToNearest(const std::uint32_t* pixels, std::size_t count,
                                       const std::vector<std::uint32_t>& palette);

} // namespace imaging
