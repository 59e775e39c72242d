#pragma once
// Writes a GIF file of a picture of palette indices: the palette exactly as given, every pixel its index.

#include <cstdint>
#include <vector>

namespace imaging {

// The bytes of a GIF file (GIF89a, one image, no extensions): a global colour table of the palette
// (0x00RRGGBB, top bytes ignored) padded with black to the next power of two, and the indices (width *
// height, top row first) compressed with LZW. Empty when the picture or the palette cannot be written:
// no pixels, a side longer than 65535, no palette or more than 256 colours, a count of indices that is not
// width * height, or an index past the palette.
std::vector<std::uint8_t> EncodeGif(int width, int height, const std::vector<std::uint32_t>& palette,
                                    const std::vector<std::uint8_t>& indices);

} // namespace imaging
