// Image files read and measured with ImageMagick, the reference the cases judge vantrel's files by.
#pragma once

#include "tests/e2e/screen.h"

#include "platform/unique_handle.h"

#include <windows.h>

#include <string>

namespace e2e {

struct ImageFile {
    std::string format; // as ImageMagick names it: BMP (BMP3 for a plain Windows header), GIF, JPEG, PNG
    Pixels pixels;
};

// Reads an image file (its first image) with ImageMagick: format and size from identify, pixels from convert.
ImageFile readImage(const std::wstring& path);
// Reads an image file and checks that ImageMagick takes it for the format (BMP3, a plain Windows header,
// counts as BMP) at the size; `what` starts the messages.
ImageFile expectImage(const std::wstring& path, const std::string& format, int width, int height,
                      const std::string& what);
// The number of distinct colours of an image file, as ImageMagick counts them.
long distinctColours(const std::wstring& path);
// The peak signal-to-noise ratio in dB of an image file against a reference, by ImageMagick's compare;
// a large number (1000) for identical pixels.
double psnr(const std::wstring& reference, const std::wstring& path);

// A picture as Capture holds one (a bitmap compatible with the screen) painted with pattern variant 1, for
// the program's own code run in this process (saving, the clipboard).
class PatternPicture {
public:
    PatternPicture(int width, int height);
    HBITMAP get() const { return bitmap_.get(); }
    // A bitmap of its own with the same pixels.
    platform::UniqueBitmap duplicate() const;

    // The file holds exactly this picture, in the given format.
    void expectWritten(const std::wstring& path, const std::string& format) const;

private:
    int width_, height_;
    platform::UniqueBitmap bitmap_;
};

} // namespace e2e
