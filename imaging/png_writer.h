#pragma once
// Writes PNG files: 8-bit true colour (with alpha where the picture has some), or indexed for a picture of at
// most 256 colours when that file is smaller; every pixel exactly as given.

#include <cstdint>
#include <optional>
#include <vector>

namespace imaging {

// The filter types a row of a PNG file is written with.
enum class PngFilter : std::uint8_t { None = 0, Sub = 1, Up = 2, Average = 3, Paeth = 4 };

struct PngOptions {
    // The pixels' top bytes are straight (not premultiplied) alpha, 0 transparent to 255 opaque; otherwise
    // they are ignored. A picture whose alpha is 255 everywhere is written without it.
    bool alpha = false;
    // Every row with this filter; nothing: each row of a true-colour file with the one that suits it, and an
    // indexed file unfiltered.
    std::optional<PngFilter> filter;
    // A picture of at most 256 colours (and no alpha) is written indexed when that file is smaller.
    bool indexedWhenSmaller = true;
};

// The bytes of a PNG file of the picture: pixels holds width * height values 0xAARRGGBB, top row first.
// Empty for a picture without pixels. Throws std::bad_alloc when memory runs out (compression included).
std::vector<std::uint8_t> EncodePng(const std::uint32_t* pixels, int width, int height,
                                    const PngOptions& options = {});

} // namespace imaging
