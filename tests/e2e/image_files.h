// Image files read and measured with ImageMagick, the reference the cases judge vantrel's files by.
#pragma once

#include "tests/e2e/screen.h"

#include <string>

namespace e2e {

struct ImageFile {
    std::string format; // as ImageMagick names it: BMP (BMP3 for a plain Windows header), GIF, JPEG, PNG
    Pixels pixels;
};

// Reads an image file (its first image) with ImageMagick: format and size from identify, pixels from convert.
ImageFile readImage(const std::wstring& path);
// The number of distinct colours of an image file, as ImageMagick counts them.
long distinctColours(const std::wstring& path);
// The peak signal-to-noise ratio in dB of an image file against a reference, by ImageMagick's compare;
// a large number (1000) for identical pixels.
double psnr(const std::wstring& reference, const std::wstring& path);

} // namespace e2e
