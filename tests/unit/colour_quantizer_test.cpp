#include "imaging/colour_quantizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <unordered_map>
#include <vector>

namespace {

using imaging::IndexedPicture;
using imaging::MapToNearest;
using imaging::QuantizeColours;

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

IndexedPicture Quantize(const Picture& p) {
    return QuantizeColours(p.pixels.data(), p.width, p.height);
}

std::uint32_t Rgb(int r, int g, int b) {
    return static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(g) << 8 |
           static_cast<std::uint32_t>(b);
}

int Distance(std::uint32_t a, std::uint32_t b) {
    int d = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int c = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        d += c * c;
    }
    return d;
}

// The nearest entry by trying every one; the lowest index among equally near ones.
std::size_t BruteNearest(const std::vector<std::uint32_t>& palette, std::uint32_t colour) {
    std::size_t best = 0;
    for (std::size_t p = 1; p < palette.size(); ++p)
        if (Distance(colour, palette[p]) < Distance(colour, palette[best]))
            best = p;
    return best;
}

// A small deterministic generator, so that every run tests the same colours.
struct Lcg {
    std::uint32_t state;
    std::uint32_t Next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
};

// What every reduction must hold: one index per pixel, at most 256 entries, none twice, each used, and each
// pixel on its nearest entry.
void ExpectSound(const Picture& picture, const IndexedPicture& out) {
    ASSERT_EQ(out.indices.size(), picture.pixels.size());
    ASSERT_LE(out.palette.size(), 256u);
    EXPECT_EQ(std::set<std::uint32_t>(out.palette.begin(), out.palette.end()).size(), out.palette.size())
        << "an entry appears twice";
    std::vector<bool> used(out.palette.size());
    std::unordered_map<std::uint32_t, std::size_t> nearest;
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        ASSERT_LT(out.indices[i], out.palette.size());
        used[out.indices[i]] = true;
        const std::uint32_t colour = picture.pixels[i] & 0xFFFFFFu;
        auto known = nearest.find(colour);
        if (known == nearest.end())
            known = nearest.emplace(colour, BruteNearest(out.palette, colour)).first;
        ASSERT_EQ(Distance(colour, out.palette[out.indices[i]]), Distance(colour, out.palette[known->second]))
            << "pixel " << i << " is not on its nearest entry";
    }
    for (std::size_t p = 0; p < used.size(); ++p)
        EXPECT_TRUE(used[p]) << "entry " << p << " is used by no pixel";
}

// A smooth picture of many colours: two crossing gradients with a little deterministic grain.
Picture PhotoLike(int width, int height) {
    Picture p{width, height, {}};
    Lcg lcg{7};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int grain = static_cast<int>(lcg.Next() % 5) - 2;
            const int r = std::clamp(x * 255 / (width - 1) + grain, 0, 255);
            const int g = std::clamp(y * 255 / (height - 1) - grain, 0, 255);
            const int b = std::clamp((x + y) * 255 / (width + height - 2) + grain, 0, 255);
            p.pixels.push_back(Rgb(r, g, b));
        }
    return p;
}

TEST(ColourQuantizer, AtMost256ColoursKeepsExactlyThoseInOrderOfAppearance) {
    struct Case {
        const char* name;
        Picture picture;
    };
    std::vector<Case> cases;
    cases.push_back({"1x1", {1, 1, {Rgb(10, 20, 30)}}});
    cases.push_back({"one colour", {7, 5, std::vector<std::uint32_t>(35, Rgb(255, 255, 255))}});
    cases.push_back({"black and white", {3, 2, {0, Rgb(255, 255, 255), 0, 0, Rgb(255, 255, 255), 0}}});
    // The top byte is no part of a colour: a DIB may hold 0 or 0xFF there.
    cases.push_back({"top byte ignored", {2, 2, {0xFF123456u, 0x00123456u, 0x80ABCDEFu, 0x00ABCDEFu}}});
    Picture ramp{16, 32, {}}; // exactly 256 colours, each twice, close together in one corner of the cube
    for (int i = 0; i < 512; ++i)
        ramp.pixels.push_back(Rgb(250 + (i % 256) % 6, 250 - (i % 256) / 6 % 6, (i % 256) / 36));
    cases.push_back({"exactly 256", ramp});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const IndexedPicture out = Quantize(c.picture);
        EXPECT_TRUE(out.exact);
        std::vector<std::uint32_t> appearing;
        for (std::uint32_t pixel : c.picture.pixels)
            if (std::find(appearing.begin(), appearing.end(), pixel & 0xFFFFFFu) == appearing.end())
                appearing.push_back(pixel & 0xFFFFFFu);
        EXPECT_EQ(out.palette, appearing);
        ASSERT_EQ(out.indices.size(), c.picture.pixels.size());
        for (std::size_t i = 0; i < c.picture.pixels.size(); ++i)
            ASSERT_EQ(out.palette[out.indices[i]], c.picture.pixels[i] & 0xFFFFFFu) << "pixel " << i;
    }
}

TEST(ColourQuantizer, PictureWithoutPixelsGivesNothing) {
    const std::uint32_t one = 0;
    for (auto [width, height] : {std::pair{0, 0}, {0, 5}, {5, 0}, {-3, 4}, {4, -3}}) {
        const IndexedPicture out = QuantizeColours(width > 0 && height > 0 ? &one : nullptr, width, height);
        EXPECT_TRUE(out.palette.empty()) << width << "x" << height;
        EXPECT_TRUE(out.indices.empty()) << width << "x" << height;
    }
}

// 257 colours fill 256 entries: all but the two that share one come out exactly. A reduction that groups
// colours before choosing (cells of a coarse histogram) would merge whole runs of this ramp.
TEST(ColourQuantizer, Over256ColoursUsesEveryEntry) {
    for (int run : {1, 16}) { // single pixels, or runs wide enough to count as flat areas
        SCOPED_TRACE(run);
        Picture picture{257 * run, 2, {}};
        for (int row = 0; row < 2; ++row)
            for (int c = 0; c < 257; ++c)
                for (int i = 0; i < run; ++i)
                    picture.pixels.push_back(c < 256 ? Rgb(c, c, c) : Rgb(255, 0, 0));
        const IndexedPicture out = Quantize(picture);
        EXPECT_FALSE(out.exact);
        ExpectSound(picture, out);
        EXPECT_EQ(out.palette.size(), 256u);
        int exact = 0;
        for (int c = 0; c < 257; ++c)
            exact += out.palette[out.indices[static_cast<std::size_t>(c * run)]] == picture.pixels[c * run];
        EXPECT_GE(exact, 255);
    }
}

// Wide areas of near colours (a white page, a #F9F9F9 side bar, a #F3F3F3 window) beside many other colours
// keep their colour exactly, with few colours or with too many to weigh one by one. Scattered pixels a little
// darker than each (the fringe of anti-aliased text) must not pull them off.
TEST(ColourQuantizer, FlatAreasKeepTheirExactColour) {
    const std::uint32_t flat[] = {Rgb(255, 255, 255), Rgb(249, 249, 249), Rgb(243, 243, 243),
                                  Rgb(0, 120, 215)};
    const std::uint32_t fringe[] = {0x010101u, 0x060606u}; // subtracted from a flat colour
    for (int busy : {40, 300}) { // a 40x40 or a 300x300 square of distinct colours: 1600 or 90000 of them
        SCOPED_TRACE(busy);
        Picture picture{busy + 400, busy + 100, {}};
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x) {
                const std::uint32_t area = flat[(x / 100 + y / 50) % 4];
                if (x < busy && y < busy)
                    picture.pixels.push_back(Rgb(x % 256, y % 256, (x / 256) * 64 + (y / 256) * 128 + 7));
                else if (x % 41 == 0 && y % 7 == 0)
                    picture.pixels.push_back(area - fringe[(x / 41 + y / 7) % 2]);
                else
                    picture.pixels.push_back(area);
            }
        const IndexedPicture out = Quantize(picture);
        ExpectSound(picture, out);
        for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
            if (std::find(std::begin(flat), std::end(flat), picture.pixels[i]) != std::end(flat)) {
                ASSERT_EQ(out.palette[out.indices[i]], picture.pixels[i]) << "pixel " << i;
            }
        }
    }
}

// A photo-like picture (three independent gradients, which 256 colours can only tile) stays close: a mean
// squared error per channel under 25 (above 34 dB). Its own palette reaches about 19; a fixed 6x6x6 palette
// gives about 216, and a palette whose means are computed wrongly lands far above the bound.
TEST(ColourQuantizer, SmoothPictureStaysClose) {
    const Picture picture = PhotoLike(320, 240);
    const IndexedPicture out = Quantize(picture);
    EXPECT_FALSE(out.exact);
    ExpectSound(picture, out);
    double squared = 0;
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
        squared += Distance(picture.pixels[i], out.palette[out.indices[i]]);
    EXPECT_LT(squared / (3.0 * static_cast<double>(picture.pixels.size())), 25.0);
}

TEST(ColourQuantizer, SameInputSameOutput) {
    const Picture photo = PhotoLike(300, 200);
    const Picture screen = [&] {
        Picture s{300, 200, {}}; // fewer than 65536 colours
        for (std::size_t i = 0; i < photo.pixels.size(); ++i)
            s.pixels.push_back(i % 7 ? Rgb(240, 240, 240) : photo.pixels[i] & 0xF0F0F0u);
        return s;
    }();
    for (const Picture* picture : {&photo, &screen}) {
        const Picture copy = *picture; // another buffer: nothing may depend on where the pixels lie
        const IndexedPicture a = Quantize(*picture);
        const IndexedPicture b = Quantize(copy);
        EXPECT_EQ(a.palette, b.palette);
        EXPECT_EQ(a.indices, b.indices);
    }
}

TEST(ColourQuantizer, MapToNearestOnATableOfColours) {
    const std::vector<std::uint32_t> palette = {
        Rgb(0, 0, 0),       Rgb(255, 255, 255), Rgb(255, 0, 0), Rgb(0, 0, 255),
        Rgb(100, 100, 100), Rgb(102, 100, 100), Rgb(0, 0, 0), // a duplicate: never chosen
    };
    struct Case {
        std::uint32_t colour;
        std::uint8_t index;
    };
    const Case cases[] = {
        {Rgb(0, 0, 0), 0}, // equal to entries 0 and 6: the lower index
        {Rgb(3, 2, 1), 0},
        {Rgb(250, 250, 255), 1},
        {Rgb(128, 128, 128), 5}, // 2244 from (102,100,100), 2352 from (100,100,100)
        {Rgb(101, 100, 100), 4}, // exactly between 4 and 5: the lower index
        {Rgb(102, 101, 100), 5},
        {Rgb(50, 50, 50), 0},    // 7500 from black and from (100,100,100): the lower index
        {Rgb(160, 160, 160), 5}, // 10564 from (102,100,100), 27075 from white
        {Rgb(180, 180, 180), 1}, // 16875 from white, 18884 from (102,100,100)
        {Rgb(200, 10, 10), 2},
        {Rgb(30, 0, 200), 3},
        {0xFF0000FEu, 3}, // the top byte is ignored
    };
    std::vector<std::uint32_t> colours;
    for (const Case& c : cases)
        colours.push_back(c.colour);
    const std::vector<std::uint8_t> indices = MapToNearest(colours.data(), colours.size(), palette);
    ASSERT_EQ(indices.size(), colours.size());
    for (std::size_t i = 0; i < colours.size(); ++i)
        EXPECT_EQ(indices[i], cases[i].index) << std::hex << cases[i].colour;
    EXPECT_TRUE(MapToNearest(colours.data(), colours.size(), {}).empty());
}

// The search skips entries that cannot be nearest; it must never skip the one that is. Checked against
// trying every entry, for palettes spread over the cube, crowded in one corner, and of a single entry.
TEST(ColourQuantizer, MapToNearestMatchesTryingEveryEntry) {
    Lcg lcg{12345};
    std::vector<std::uint32_t> colours;
    for (int i = 0; i < 60000; ++i)
        colours.push_back(lcg.Next() & 0xFFFFFFu);
    for (std::uint32_t corner : {0x000000u, 0xFFFFFFu, 0xFF00FFu, 0x7F8081u})
        colours.push_back(corner);

    std::vector<std::vector<std::uint32_t>> palettes(3);
    for (int i = 0; i < 256; ++i)
        palettes[0].push_back(lcg.Next() & 0xFFFFFFu);
    for (int i = 0; i < 200; ++i) // all within 16 levels of (240, 240, 240)
        palettes[1].push_back(Rgb(240 + static_cast<int>(lcg.Next() % 16),
                                  240 + static_cast<int>(lcg.Next() % 16),
                                  240 + static_cast<int>(lcg.Next() % 16)));
    palettes[2].push_back(Rgb(1, 2, 3));

    for (const auto& palette : palettes) {
        SCOPED_TRACE(palette.size());
        const std::vector<std::uint8_t> indices = MapToNearest(colours.data(), colours.size(), palette);
        ASSERT_EQ(indices.size(), colours.size());
        for (std::size_t i = 0; i < colours.size(); ++i)
            ASSERT_EQ(indices[i], BruteNearest(palette, colours[i])) << std::hex << colours[i];
    }
}

} // namespace
