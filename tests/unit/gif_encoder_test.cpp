#include "imaging/gif_encoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using imaging::EncodeGif;
using Bytes = std::vector<std::uint8_t>;

// What a reader finds in a GIF of one image with a global colour table.
struct Decoded {
    int width = 0, height = 0;
    std::vector<std::uint32_t> table;
    int minCodeBits = 0;
    Bytes data; // the image data, sub-blocks joined
    Bytes indices;
};

int Word(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8;
}

// An LZW reader written from the format's description, apart from the encoder.
Bytes Decompress(const Bytes& data, int minCodeBits, std::size_t pixels) {
    const int clear = 1 << minCodeBits, end = clear + 1;
    std::vector<Bytes> strings;
    auto reset = [&] {
        strings.assign(static_cast<std::size_t>(clear) + 2, Bytes{});
        for (int i = 0; i < clear; ++i)
            strings[static_cast<std::size_t>(i)] = Bytes{static_cast<std::uint8_t>(i)};
    };
    reset();
    int bits = minCodeBits + 1;
    std::size_t bit = 0;
    Bytes out, previous;
    bool havePrevious = false;
    for (;;) {
        if (bit + static_cast<std::size_t>(bits) > data.size() * 8) {
            ADD_FAILURE() << "the data ends without the end code";
            return out;
        }
        int code = 0;
        for (int i = 0; i < bits; ++i, ++bit)
            code |= ((data[bit / 8] >> (bit % 8)) & 1) << i;
        if (code == clear) {
            reset();
            bits = minCodeBits + 1;
            havePrevious = false;
            continue;
        }
        if (code == end)
            break;
        Bytes current;
        if (static_cast<std::size_t>(code) < strings.size() && (code < clear || code > end)) {
            current = strings[static_cast<std::size_t>(code)];
        } else if (havePrevious && static_cast<std::size_t>(code) == strings.size()) {
            current = previous;
            current.push_back(previous[0]);
        } else {
            ADD_FAILURE() << "code " << code << " is not in the table of " << strings.size();
            return out;
        }
        if (havePrevious && strings.size() < 4096) {
            Bytes added = previous;
            added.push_back(current[0]);
            strings.push_back(added);
            if (strings.size() == (std::size_t{1} << bits) && bits < 12)
                ++bits;
        }
        out.insert(out.end(), current.begin(), current.end());
        previous = current;
        havePrevious = true;
    }
    EXPECT_EQ(pixels, out.size());
    return out;
}

Decoded Decode(const Bytes& gif) {
    Decoded d;
    EXPECT_GE(gif.size(), 13u + 6u + 10u + 3u);
    EXPECT_EQ("GIF89a", std::string(gif.begin(), gif.begin() + 6));
    d.width = Word(gif, 6);
    d.height = Word(gif, 8);
    const int flags = gif[10];
    EXPECT_EQ(0x80, flags & 0x80) << "no global colour table";
    const std::size_t entries = std::size_t{2} << (flags & 7);
    std::size_t at = 13;
    for (std::size_t i = 0; i < entries; ++i, at += 3)
        d.table.push_back(static_cast<std::uint32_t>(gif[at]) << 16 | gif[at + 1] << 8 | gif[at + 2]);
    EXPECT_EQ(0x2C, gif[at]);
    EXPECT_EQ(0, Word(gif, at + 1));
    EXPECT_EQ(0, Word(gif, at + 3));
    EXPECT_EQ(d.width, Word(gif, at + 5));
    EXPECT_EQ(d.height, Word(gif, at + 7));
    EXPECT_EQ(0, gif[at + 9]) << "a local table or interlacing";
    d.minCodeBits = gif[at + 10];
    at += 11;
    while (gif[at] != 0) {
        d.data.insert(d.data.end(), gif.begin() + static_cast<std::ptrdiff_t>(at) + 1,
                      gif.begin() + static_cast<std::ptrdiff_t>(at) + 1 + gif[at]);
        at += 1u + gif[at];
    }
    EXPECT_EQ(at + 2, gif.size()) << "something after the image";
    EXPECT_EQ(0x3B, gif.back());
    d.indices = Decompress(d.data, d.minCodeBits, static_cast<std::size_t>(d.width) * d.height);
    return d;
}

// The four-colour 10x10 example of the format's usual walk-through, whose compressed bytes are published.
TEST(GifEncoder, MatchesThePublishedExample) {
    const char* rows[] = {"1111122222", "1111122222", "1111122222", "1110000222", "1110000222",
                          "2220000111", "2220000111", "2222211111", "2222211111", "2222211111"};
    Bytes indices;
    for (const char* row : rows)
        for (const char* c = row; *c; ++c)
            indices.push_back(static_cast<std::uint8_t>(*c - '0'));
    const Bytes gif = EncodeGif(10, 10, {0xFFFFFF, 0xFF0000, 0x0000FF, 0x000000}, indices);
    const Bytes expected = {'G',  'I',  'F',  '8',  '9',  'a',  10,   0,    10,   0,    0xF1, 0,
                            0,                                                                      // screen
                            0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, // colours
                            0x2C, 0,    0,    0,    0,    10,   0,    10,   0,    0,                // image
                            0x02, 0x16, 0x8C, 0x2D, 0x99, 0x87, 0x2A, 0x1C, 0xDC, 0x33, 0xA0, 0x02,
                            0x75, 0xEC, 0x95, 0xFA, // data
                            0xA8, 0xDE, 0x60, 0x8C, 0x04, 0x91, 0x4C, 0x01, 0x00, 0x3B};
    EXPECT_EQ(expected, gif);
}

// Whatever the picture, a reader gets back the palette as given and every index: pictures too short for the
// codes to widen, long runs, and noise that fills the string table many times over.
TEST(GifEncoder, ReadsBackExactly) {
    std::uint32_t state = 12345;
    auto random = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 24;
    };
    struct Picture {
        const char* name;
        int width, height;
        std::size_t colours;
        int pattern; // 0 noise, 1 horizontal runs, 2 one colour
    };
    const Picture pictures[] = {{"1x1", 1, 1, 1, 2},          {"one colour", 300, 200, 1, 2},
                                {"two colours", 17, 9, 2, 0}, {"five colours", 640, 3, 5, 0},
                                {"runs", 501, 97, 64, 1},     {"noise", 800, 600, 256, 0},
                                {"narrow", 1, 3000, 256, 0}};
    for (const Picture& p : pictures) {
        SCOPED_TRACE(p.name);
        std::vector<std::uint32_t> palette;
        for (std::size_t i = 0; i < p.colours; ++i)
            palette.push_back((static_cast<std::uint32_t>(i) * 0x10204F + 0x123456) & 0xFFFFFF);
        Bytes indices(static_cast<std::size_t>(p.width) * p.height);
        for (std::size_t i = 0; i < indices.size(); ++i)
            indices[i] = static_cast<std::uint8_t>(p.pattern == 2   ? 0
                                                   : p.pattern == 1 ? (i / 37) % p.colours
                                                                    : random() % p.colours);
        const Decoded d = Decode(EncodeGif(p.width, p.height, palette, indices));
        EXPECT_EQ(p.width, d.width);
        EXPECT_EQ(p.height, d.height);
        std::size_t entries = 2;
        while (entries < p.colours)
            entries *= 2;
        ASSERT_EQ(entries, d.table.size()) << "the table is the palette's size rounded up to a power of two";
        for (std::size_t i = 0; i < entries; ++i)
            EXPECT_EQ(i < palette.size() ? palette[i] : 0u, d.table[i]) << "entry " << i;
        EXPECT_EQ(indices, d.indices);
    }
}

TEST(GifEncoder, RefusesWhatItCannotWrite) {
    const Bytes four(4, 0);
    EXPECT_TRUE(EncodeGif(0, 4, {0}, {}).empty());
    EXPECT_TRUE(EncodeGif(2, 2, {}, four).empty()) << "no palette";
    EXPECT_TRUE(EncodeGif(2, 2, std::vector<std::uint32_t>(257), four).empty()) << "257 colours";
    EXPECT_TRUE(EncodeGif(2, 3, {0}, four).empty()) << "four indices for six pixels";
    EXPECT_TRUE(EncodeGif(2, 2, {0, 1}, {0, 1, 2, 1}).empty()) << "index 2 of a palette of two";
    EXPECT_TRUE(EncodeGif(70000, 1, {0}, Bytes(70000, 0)).empty()) << "wider than a GIF can say";
}

} // namespace
