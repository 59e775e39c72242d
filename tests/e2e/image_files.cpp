#include "tests/e2e/image_files.h"

#include "tests/e2e/report.h"
#include "tests/e2e/unix_tools.h"
#include "tests/support/dib.h"
#include "tests/support/text.h"

#include <cstdio>
#include <cstdlib>

namespace e2e {

using support::narrow;

namespace {

std::string firstImage(const std::wstring& path) {
    return shellQuoted(unixPath(path) + "[0]");
}

} // namespace

ImageFile readImage(const std::wstring& path) {
    const std::string file = firstImage(path);
    ImageFile image;
    UnixResult id = runUnixOk("/usr/bin/identify -format '%m %w %h' " + file);
    char format[32] = "";
    int width = 0, height = 0;
    check(std::sscanf(id.out.c_str(), "%31s %d %d", format, &width, &height) == 3 && width > 0 && height > 0,
          "identify printed " + quotedBytes(id.out) + " for " + narrow(path));
    image.format = format;
    UnixResult raw = runUnixOk("/usr/bin/convert " + file + " -alpha off -depth 8 rgb:-");
    const size_t count = static_cast<size_t>(width) * height;
    check(raw.out.size() == count * 3, "convert gave " + std::to_string(raw.out.size()) +
                                           " bytes of RGB for " + narrow(path) + ", expected " +
                                           std::to_string(count * 3));
    image.pixels.width = width;
    image.pixels.height = height;
    image.pixels.rgb.resize(count);
    const auto* p = reinterpret_cast<const unsigned char*>(raw.out.data());
    for (size_t i = 0; i < count; ++i, p += 3)
        image.pixels.rgb[i] = static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
    return image;
}

ImageFile expectImage(const std::wstring& path, const std::string& format, int width, int height,
                      const std::string& what) {
    ImageFile image = readImage(path);
    check(image.format == format || (format == "BMP" && image.format == "BMP3"),
          what + ": ImageMagick reads it as " + image.format + ", expected " + format);
    expectEq(what + ": width", width, image.pixels.width);
    expectEq(what + ": height", height, image.pixels.height);
    return image;
}

long distinctColours(const std::wstring& path) {
    UnixResult r = runUnixOk("/usr/bin/identify -format '%k' " + firstImage(path));
    char* end = nullptr;
    const long colours = std::strtol(r.out.c_str(), &end, 10);
    check(end != r.out.c_str() && colours > 0,
          "identify counted " + quotedBytes(r.out) + " colours in " + narrow(path));
    return colours;
}

double psnr(const std::wstring& reference, const std::wstring& path) {
    // compare prints the measure on standard error and ends with 1 when the pictures differ, 2 on trouble.
    UnixResult r =
        runUnix("/usr/bin/compare -metric PSNR " + firstImage(reference) + " " + firstImage(path) + " null:");
    check(r.exitCode == 0 || r.exitCode == 1, "compare " + narrow(reference) + " " + narrow(path) +
                                                  " ended with " + std::to_string(r.exitCode) + ": " +
                                                  quotedBytes(r.err));
    if (r.err.rfind("inf", 0) == 0)
        return 1000;
    char* end = nullptr;
    const double db = std::strtod(r.err.c_str(), &end);
    check(end != r.err.c_str(), "compare printed " + quotedBytes(r.err) + " for " + narrow(path));
    return db;
}

PatternPicture::PatternPicture(int width, int height) : width_(width), height_(height) {
    std::vector<uint32_t> rgb(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rgb[static_cast<size_t>(y) * width + x] = patternColour(x, y, 1);
    const platform::WindowDcScope screen(nullptr);
    bitmap_.reset(CreateCompatibleBitmap(screen.get(), width, height));
    BITMAPINFO bi = support::topDownInfo(width, height);
    check(bitmap_ &&
              SetDIBits(screen.get(), bitmap_.get(), 0, height, rgb.data(), &bi, DIB_RGB_COLORS) == height,
          "could not paint a " + std::to_string(width) + "x" + std::to_string(height) + " bitmap");
}

platform::UniqueBitmap PatternPicture::duplicate() const {
    platform::UniqueBitmap copy(static_cast<HBITMAP>(CopyImage(bitmap_.get(), IMAGE_BITMAP, 0, 0, 0)));
    check(static_cast<bool>(copy), "could not copy the pattern bitmap");
    return copy;
}

void PatternPicture::expectWritten(const std::wstring& path, const std::string& format) const {
    const std::string what = narrow(path.substr(path.find_last_of(L'\\') + 1));
    const ImageFile image = expectImage(path, format, width_, height_, what);
    std::string first;
    const long differing = countDifferences(
        image.pixels, [](int x, int y) { return patternColour(x, y, 1); }, first);
    expectEq(what + ": pixels that differ from the picture", 0, differing);
}

} // namespace e2e
