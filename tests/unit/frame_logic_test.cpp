#include "frame/frame_logic.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

TEST(FrameCaption, ShowsClientSize) {
    EXPECT_EQ(frame::FormatCaption(300, 200), L"Vantrel W:300 H:200");
    EXPECT_EQ(frame::FormatCaption(0, 0), L"Vantrel W:0 H:0");
    EXPECT_EQ(frame::FormatCaption(-4, 12345), L"Vantrel W:-4 H:12345");
}

TEST(FrameHitTest, BordersRefuseSizingOnlyWhileAPictureIsHeld) {
    for (long long answer = 10; answer <= 17; ++answer) {
        EXPECT_EQ(frame::MapHitTest(answer, true), 18) << answer;
        EXPECT_EQ(frame::MapHitTest(answer, false), answer) << answer;
    }
    // Caption, client, system menu, errors and the neighbours of the border range pass through.
    for (long long answer : {-2LL, -1LL, 0LL, 1LL, 2LL, 3LL, 9LL, 18LL, 20LL})
        EXPECT_EQ(frame::MapHitTest(answer, true), answer) << answer;
}

TEST(FrameIcon, OffsetTruncatesTowardZero) {
    EXPECT_EQ(frame::IconOffset(0, 32), -15); // not -16
    EXPECT_EQ(frame::IconOffset(32, 32), 0);
    EXPECT_EQ(frame::IconOffset(100, 32), 34);
    EXPECT_EQ(frame::IconOffset(101, 32), 35);
    EXPECT_EQ(frame::IconOffset(1, 32), -15);
}

TEST(FrameMenu, AboutCommandsAreTheWholeSixteen) {
    EXPECT_TRUE(frame::IsAboutCommand(0x0010));
    EXPECT_TRUE(frame::IsAboutCommand(0x001F));
    EXPECT_FALSE(frame::IsAboutCommand(0x000F));
    EXPECT_FALSE(frame::IsAboutCommand(0x0020));
    EXPECT_FALSE(frame::IsAboutCommand(0xF060)); // SC_CLOSE
    EXPECT_FALSE(frame::IsAboutCommand(0xF010)); // SC_MOVE
}

// The Wine steps are taken under Wine only, whatever its version; Windows never.
TEST(FrameLook, FollowsWineShapesUnderWineOnly) {
    struct Case {
        const char* wineVersion;
        bool follows;
    };
    const Case cases[] = {{nullptr, false}, {"8.0", true}, {"9.0-rc3", true}, {"", true}};
    for (const Case& c : cases)
        EXPECT_EQ(frame::FollowsWineShapes(c.wineVersion), c.follows)
            << (c.wineVersion ? c.wineVersion : "Windows");
}

// The see-through look after a picture is keyed with a colour the picture lacks: the usual one when it can.
TEST(FrameLook, KeyColourIsOneThePictureLacks) {
    struct Case {
        const char* name;
        std::vector<std::uint32_t> pixels;
        std::uint32_t key;
    };
    const Case cases[] = {
        {"no pixels", {}, 0x010000},
        {"the usual key's neighbours only", {0x000000, 0x010001, 0x00FFFF, 0xFFFFFF}, 0x010000},
        {"the usual key", {0x123456, 0x010000}, 0x010001},
        {"the usual key and the next ones", {0x010002, 0x010000, 0x010001, 0x010004}, 0x010003},
        {"the fourth byte is not part of the colour", {0xFF010000, 0x80010001}, 0x010002},
        {"a fourth byte alone is not the key", {0xFF000000, 0x01000000}, 0x010000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(frame::KeyColourAbsentFrom(c.pixels), c.key) << c.name;
}

// Counting up passes white and goes on from black; a picture holding every colour keeps the usual key.
TEST(FrameLook, KeyColourSearchWrapsAndGivesUp) {
    std::vector<std::uint32_t> every(std::size_t{1} << 24);
    for (std::uint32_t colour = 0; colour < every.size(); ++colour)
        every[colour] = colour;
    EXPECT_EQ(frame::KeyColourAbsentFrom(every), 0x010000u);
    every[0] = 0x010000; // black is missing now
    EXPECT_EQ(frame::KeyColourAbsentFrom(every), 0x000000u);
}

// The brush paints each uncovered pixel once and never one of the picture's, so nothing flickers.
TEST(FrameBackground, BrushPaintsOnlyAroundThePicture) {
    using platform::Rect;
    struct Case {
        const char* name;
        int clientWidth, clientHeight, pictureWidth, pictureHeight;
        std::vector<Rect> parts;
    };
    const Case cases[] = {
        {"no picture", 300, 200, 0, 0, {{0, 0, 300, 200}}},
        {"smaller picture", 300, 200, 100, 50, {{100, 0, 300, 200}, {0, 50, 100, 200}}},
        {"same size", 300, 200, 300, 200, {}},
        {"frame shrank below the picture", 300, 200, 400, 250, {}},
        {"wider but lower", 300, 200, 400, 50, {{0, 50, 300, 200}}},
        {"narrower but higher", 300, 200, 100, 250, {{100, 0, 300, 200}}},
        {"minimised", 0, 0, 100, 50, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(frame::AroundPicture(c.clientWidth, c.clientHeight, c.pictureWidth, c.pictureHeight),
                  c.parts)
            << c.name;
}

} // namespace
