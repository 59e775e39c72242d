#include "imaging/png_writer.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using imaging::EncodePng;
using imaging::PngFilter;
using imaging::PngOptions;
using Bytes = std::vector<std::uint8_t>;

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // 0xAARRGGBB
};

// A small deterministic generator, so that every run tests the same pixels.
struct Lcg {
    std::uint32_t state;
    std::uint32_t Next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8 ^ state << 24;
    }
};

// Pixels of random colours (and random top bytes); with colours > 0, drawn from that many colours only.
Picture Random(int width, int height, std::uint32_t seed, int colours = 0) {
    Lcg lcg{seed};
    std::vector<std::uint32_t> palette;
    for (int i = 0; i < colours; ++i)
        palette.push_back(lcg.Next() & 0x00FFFFFFu);
    Picture p{width, height, {}};
    for (int i = 0; i < width * height; ++i) {
        const std::uint32_t garbage = lcg.Next() & 0xFF000000u;
        p.pixels.push_back(garbage |
                           (colours ? palette[lcg.Next() % palette.size()] : lcg.Next() & 0xFFFFFFu));
    }
    return p;
}

// A smooth picture of many colours (every pixel distinct along a side up to 4096).
Picture Gradient(int width, int height) {
    Picture p{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t i = static_cast<std::uint32_t>(x + y);
            p.pixels.push_back(0xFF000000u | (i & 0xFF) << 16 | (i >> 4 & 0xFF) << 8 | (i * 7 & 0xFF));
        }
    return p;
}

// CRC-32 of the PNG format (polynomial 0xEDB88320, reflected), bit by bit, apart from zlib's.
std::uint32_t Crc(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 1 ? crc >> 1 ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

std::uint32_t Word(const Bytes& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

// What the file's chunks say, read from the format's description: every chunk's CRC checked, the IDAT
// chunks joined and inflated, and each row's filter type.
struct Structure {
    std::vector<std::string> chunks; // types in file order
    int colourType = -1;
    int bitDepth = 0;
    std::size_t paletteEntries = 0;
    std::vector<int> rowFilters;
};

Structure ReadStructure(const Bytes& file) {
    Structure s;
    const Bytes signature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_TRUE(file.size() >= 8 && std::equal(signature.begin(), signature.end(), file.begin()));
    Bytes idat;
    int width = 0, height = 0;
    for (std::size_t at = 8; at + 12 <= file.size();) {
        const std::uint32_t length = Word(file, at);
        if (at + 12 + length > file.size()) {
            ADD_FAILURE() << "a chunk runs past the end of the file";
            return s;
        }
        const std::string type(file.begin() + static_cast<std::ptrdiff_t>(at + 4),
                               file.begin() + static_cast<std::ptrdiff_t>(at + 8));
        EXPECT_EQ(Crc(file.data() + at + 4, length + 4), Word(file, at + 8 + length)) << type << "'s CRC";
        const std::uint8_t* data = file.data() + at + 8;
        if (type == "IHDR") {
            width = static_cast<int>(Word(file, at + 8));
            height = static_cast<int>(Word(file, at + 12));
            s.bitDepth = data[8];
            s.colourType = data[9];
        } else if (type == "PLTE") {
            s.paletteEntries = length / 3;
        } else if (type == "IDAT") {
            idat.insert(idat.end(), data, data + length);
        }
        s.chunks.push_back(type);
        at += 12 + length;
    }
    const int channels = s.colourType == 2 ? 3 : s.colourType == 6 ? 4 : 1;
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * channels * s.bitDepth + 7) / 8;
    Bytes rows((rowBytes + 1) * static_cast<std::size_t>(height) + 1);
    uLongf size = static_cast<uLongf>(rows.size());
    EXPECT_EQ(Z_OK, uncompress(rows.data(), &size, idat.data(), static_cast<uLong>(idat.size())));
    EXPECT_EQ((rowBytes + 1) * static_cast<std::size_t>(height), size) << "bytes of filtered rows";
    for (std::size_t row = 0; row * (rowBytes + 1) < size; ++row)
        s.rowFilters.push_back(rows[row * (rowBytes + 1)]);
    return s;
}

// The pixels as libpng reads them, 0xAARRGGBB (alpha 255 where the file has none); nothing when it refuses
// the file.
std::optional<Picture> Decode(const Bytes& file) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size()))
        return std::nullopt;
    image.format = PNG_FORMAT_RGBA;
    Bytes rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr))
        return std::nullopt;
    Picture p{static_cast<int>(image.width), static_cast<int>(image.height), {}};
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4)
        p.pixels.push_back(static_cast<std::uint32_t>(rgba[i + 3]) << 24 | rgba[i] << 16 | rgba[i + 1] << 8 |
                           rgba[i + 2]);
    return p;
}

// The pixels the file must hold: as given with alpha, else opaque.
std::vector<std::uint32_t> Expected(const Picture& p, bool alpha) {
    std::vector<std::uint32_t> expected = p.pixels;
    if (!alpha)
        for (std::uint32_t& pixel : expected)
            pixel |= 0xFF000000u;
    return expected;
}

void ExpectRoundTrip(const Picture& picture, const PngOptions& options, const Bytes& file,
                     const std::string& what) {
    const std::optional<Picture> decoded = Decode(file);
    ASSERT_TRUE(decoded) << what << ": libpng refused the file";
    EXPECT_EQ(picture.width, decoded->width) << what;
    EXPECT_EQ(picture.height, decoded->height) << what;
    const std::vector<std::uint32_t> expected = Expected(picture, options.alpha);
    ASSERT_EQ(expected.size(), decoded->pixels.size()) << what;
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(expected[i], decoded->pixels[i])
            << what << ": pixel " << i % picture.width << "," << i / picture.width;
}

// Every filter type, and the choice per row, on each layout (true colour, with alpha, indexed at every bit
// depth) and at odd sizes: libpng reads back exactly the pixels, every CRC holds, and a fixed filter is the
// one every row names.
TEST(PngWriter, RoundTripsEveryLayoutAndFilter) {
    const PngOptions rgb{}, withAlpha{true, std::nullopt, true};
    Picture translucent = Random(37, 23, 5);
    translucent.pixels[0] &= 0x00FFFFFFu; // fully transparent, its colour kept
    struct Case {
        const char* name;
        Picture picture;
        PngOptions options;
        int colourType;
        int bitDepth;
    } cases[] = {
        {"true colour 37x23", Random(37, 23, 1), rgb, 2, 8},
        {"alpha 37x23", translucent, withAlpha, 6, 8},
        {"2 colours", Random(37, 23, 2, 2), rgb, 3, 1},
        {"4 colours", Random(37, 23, 3, 4), rgb, 3, 2},
        {"16 colours", Random(37, 23, 4, 16), rgb, 3, 4},
        {"256 colours", Random(41, 160, 6, 256), rgb, 3, 8},
        {"1x4096", Gradient(1, 4096), rgb, 2, 8},
        {"4096x1", Gradient(4096, 1), rgb, 2, 8},
        {"1x1", Random(1, 1, 7), rgb, 2, 8},
    };
    const std::optional<PngFilter> filters[] = {std::nullopt,  PngFilter::None,    PngFilter::Sub,
                                                PngFilter::Up, PngFilter::Average, PngFilter::Paeth};
    for (const Case& c : cases)
        for (const std::optional<PngFilter>& filter : filters) {
            PngOptions options = c.options;
            options.filter = filter;
            const std::string what = std::string(c.name) + ", filter " +
                                     (filter ? std::to_string(static_cast<int>(*filter)) : "chosen per row");
            const Bytes file = EncodePng(c.picture.pixels.data(), c.picture.width, c.picture.height, options);
            const Structure s = ReadStructure(file);
            EXPECT_EQ(c.colourType, s.colourType) << what;
            EXPECT_EQ(c.bitDepth, s.bitDepth) << what;
            ASSERT_EQ(static_cast<std::size_t>(c.picture.height), s.rowFilters.size()) << what;
            if (filter) {
                for (int rowFilter : s.rowFilters)
                    EXPECT_EQ(static_cast<int>(*filter), rowFilter) << what;
            }
            ExpectRoundTrip(c.picture, options, file, what);
        }
}

// The chunks a reader expects, in order; compressed data past 1 MB is split over several IDAT chunks.
TEST(PngWriter, ChunksInOrderAndLargeDataSplit) {
    const Picture small = Random(10, 10, 8, 3);
    EXPECT_EQ((std::vector<std::string>{"IHDR", "PLTE", "IDAT", "IEND"}),
              ReadStructure(EncodePng(small.pixels.data(), small.width, small.height)).chunks);
    EXPECT_EQ(3u, ReadStructure(EncodePng(small.pixels.data(), small.width, small.height)).paletteEntries);

    const Picture noise = Random(700, 700, 9); // about 1.5 MB that does not compress
    const Bytes file = EncodePng(noise.pixels.data(), noise.width, noise.height);
    const Structure s = ReadStructure(file);
    ASSERT_GE(s.chunks.size(), 4u);
    EXPECT_EQ("IHDR", s.chunks.front());
    EXPECT_EQ("IEND", s.chunks.back());
    EXPECT_EQ(s.chunks.size() - 2,
              static_cast<std::size_t>(std::count(s.chunks.begin(), s.chunks.end(), "IDAT")));
    EXPECT_GE(s.chunks.size() - 2, 2u) << "one IDAT chunk for " << file.size() << " bytes";
    ExpectRoundTrip(noise, {}, file, "700x700 noise");
}

// Each row gets the filter that suits it, where no one filter suits all: in the top half, rows that climb
// evenly between rows of noise go as Sub (the only filter that makes them constant); in the bottom half,
// where every column climbs at its own pace, Up makes each row the same. The file is smaller than with any
// one filter for all rows.
TEST(PngWriter, ChoosesFilterPerRow) {
    constexpr int kWidth = 96, kHeight = 48;
    Picture p{kWidth, kHeight, {}};
    Lcg lcg{10};
    std::vector<std::uint32_t> base(kWidth), step(kWidth);
    for (int x = 0; x < kWidth; ++x) {
        base[static_cast<std::size_t>(x)] = lcg.Next();
        step[static_cast<std::size_t>(x)] = lcg.Next();
    }
    auto channels = [](std::uint32_t r, std::uint32_t g, std::uint32_t b) {
        return (r & 0xFF) << 16 | (g & 0xFF) << 8 | (b & 0xFF);
    };
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const std::uint32_t u = static_cast<std::uint32_t>(x), v = static_cast<std::uint32_t>(y);
            const std::uint32_t b = base[u], s = step[u];
            p.pixels.push_back(y >= kHeight / 2
                                   ? channels(b + v * s, (b >> 8) + v * (s >> 8), (b >> 16) + v * (s >> 16))
                               : y % 2 == 0 ? channels(v * 5 + u * 2, v + u * 3, v * 11 + u)
                                            : lcg.Next() & 0xFFFFFFu);
        }
    const Bytes chosen = EncodePng(p.pixels.data(), kWidth, kHeight);
    const Structure s = ReadStructure(chosen);
    ASSERT_EQ(static_cast<std::size_t>(kHeight), s.rowFilters.size());
    for (int y = 2; y < kHeight / 2; y += 2)
        EXPECT_EQ(static_cast<int>(PngFilter::Sub), s.rowFilters[static_cast<std::size_t>(y)]) << "row " << y;
    ExpectRoundTrip(p, {}, chosen, "climbing rows and columns");
    for (PngFilter one :
         {PngFilter::None, PngFilter::Sub, PngFilter::Up, PngFilter::Average, PngFilter::Paeth}) {
        const Bytes fixed = EncodePng(p.pixels.data(), kWidth, kHeight, {false, one, true});
        EXPECT_LT(chosen.size(), fixed.size()) << "filter " << static_cast<int>(one) << " for every row";
    }
}

// Indexed where that is smaller, true colour where that is: never larger than true colour alone, and the
// alpha option only takes effect where some pixel is not opaque.
TEST(PngWriter, PicksTheSmallerLayout) {
    struct Case {
        const char* name;
        Picture picture;
        int colourType;
    } cases[] = {
        {"3 colours", Random(64, 64, 11, 3), 3},
        {"200 colours", Random(64, 64, 12, 200), 3},
        {"one pixel: the palette costs more than it saves", Random(1, 1, 13), 2},
        {"many colours", Gradient(300, 20), 2},
    };
    for (const Case& c : cases) {
        const Bytes file = EncodePng(c.picture.pixels.data(), c.picture.width, c.picture.height);
        const Bytes trueColour = EncodePng(c.picture.pixels.data(), c.picture.width, c.picture.height,
                                           {false, std::nullopt, false});
        EXPECT_EQ(c.colourType, ReadStructure(file).colourType) << c.name;
        EXPECT_EQ(2, ReadStructure(trueColour).colourType) << c.name;
        EXPECT_LE(file.size(), trueColour.size()) << c.name;
        ExpectRoundTrip(c.picture, {}, file, c.name);
    }

    Picture opaque = Gradient(50, 50);
    const PngOptions alpha{true, std::nullopt, true};
    EXPECT_EQ(2, ReadStructure(EncodePng(opaque.pixels.data(), 50, 50, alpha)).colourType)
        << "alpha 255 everywhere";
    opaque.pixels[1234] = 0x80123456u;
    const Bytes translucent = EncodePng(opaque.pixels.data(), 50, 50, alpha);
    EXPECT_EQ(6, ReadStructure(translucent).colourType) << "one pixel half transparent";
    ExpectRoundTrip(opaque, alpha, translucent, "one pixel half transparent");
}

TEST(PngWriter, NothingForAPictureWithoutPixels) {
    const std::uint32_t pixel = 0;
    EXPECT_TRUE(EncodePng(&pixel, 0, 1).empty());
    EXPECT_TRUE(EncodePng(&pixel, 1, 0).empty());
    EXPECT_TRUE(EncodePng(&pixel, -1, 5).empty());
    EXPECT_TRUE(EncodePng(nullptr, 1, 1).empty());
}

} // namespace
