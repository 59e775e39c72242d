// Runs the program's colour reduction for GIF (imaging::QuantizeColours) on a picture, natively: reads a
// binary PPM, reduces it RUNS times and writes the picture as its palette shows it (each pixel its palette
// colour), which is exactly what a GIF of it holds. Prints key=value lines: the picture, the palette size,
// whether it was exact, the median and fastest time of one reduction, and the PSNR it computes itself
// (bench/gif_quality checks it against ImageMagick's).
//
//     bench_quantize_probe IN.ppm OUT.ppm [RUNS]

#include "imaging/colour_quantizer.h"
#include "tests/support/median.h"

#include <algorithm>
#include <chrono>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // 0x00RRGGBB, top row first
};

// Skips white space and comments between the header's fields.
void SkipSeparators(std::istream& in) {
    for (int c = in.peek(); c != EOF; c = in.peek()) {
        if (c == '#')
            in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
        else if (std::isspace(c))
            in.get();
        else
            break;
    }
}

bool ReadPpm(const char* path, Picture& picture) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    in >> magic;
    SkipSeparators(in);
    in >> picture.width;
    SkipSeparators(in);
    in >> picture.height;
    SkipSeparators(in);
    in >> maxValue;
    in.get(); // the single white space before the samples
    if (!in || magic != "P6" || maxValue != 255 || picture.width <= 0 || picture.height <= 0)
        return false;
    const std::size_t count = static_cast<std::size_t>(picture.width) * picture.height;
    std::vector<unsigned char> samples(count * 3);
    if (!in.read(reinterpret_cast<char*>(samples.data()), static_cast<std::streamsize>(samples.size())))
        return false;
    picture.pixels.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        picture.pixels[i] = 0xFF000000u | (std::uint32_t{samples[3 * i]} << 16) |
                            (std::uint32_t{samples[3 * i + 1]} << 8) | samples[3 * i + 2];
    return true;
}

bool WritePpm(const char* path, int width, int height, const std::vector<std::uint32_t>& pixels) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << width << ' ' << height << "\n255\n";
    std::vector<unsigned char> samples;
    samples.reserve(pixels.size() * 3);
    for (std::uint32_t p : pixels) {
        samples.push_back(static_cast<unsigned char>(p >> 16));
        samples.push_back(static_cast<unsigned char>(p >> 8));
        samples.push_back(static_cast<unsigned char>(p));
    }
    out.write(reinterpret_cast<const char*>(samples.data()), static_cast<std::streamsize>(samples.size()));
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::cerr << "usage: " << argv[0] << " IN.ppm OUT.ppm [RUNS]\n";
        return 2;
    }
    const int runs = argc == 4 ? std::atoi(argv[3]) : 5;
    Picture picture;
    if (runs < 1 || !ReadPpm(argv[1], picture)) {
        std::cerr << "cannot read " << argv[1] << " as a binary PPM with 8-bit samples\n";
        return 1;
    }

    std::vector<double> times;
    imaging::IndexedPicture indexed;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        indexed = imaging::QuantizeColours(picture.pixels.data(), picture.width, picture.height);
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());

    std::vector<std::uint32_t> shown(picture.pixels.size());
    double squaredError = 0;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        shown[i] = indexed.palette[indexed.indices[i]];
        for (int shift = 0; shift <= 16; shift += 8) {
            const double d = static_cast<double>((shown[i] >> shift) & 0xFF) -
                             static_cast<double>((picture.pixels[i] >> shift) & 0xFF);
            squaredError += d * d;
        }
    }
    if (!WritePpm(argv[2], picture.width, picture.height, shown)) {
        std::cerr << "cannot write " << argv[2] << "\n";
        return 1;
    }
    const double mse = squaredError / (3.0 * static_cast<double>(shown.size()));
    std::printf("picture=%dx%d\n", picture.width, picture.height);
    std::printf("colours=%zu\n", indexed.palette.size());
    std::printf("exact=%d\n", indexed.exact ? 1 : 0);
    std::printf("median_ms=%.2f\n", support::median(times));
    std::printf("min_ms=%.2f\n", times.front());
    if (mse == 0)
        std::printf("psnr=inf\n");
    else
        std::printf("psnr=%.2f\n", 10.0 * std::log10(255.0 * 255.0 / mse));
    return 0;
}
