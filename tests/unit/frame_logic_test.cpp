#include "frame/frame_logic.h"

#include <gtest/gtest.h>

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

// The extra step on the visible frame is taken under Wine only, whatever its version; Windows never.
TEST(FrameLook, SettlesThePictureLookUnderWineOnly) {
    struct Case {
        const char* wineVersion;
        bool settles;
    };
    const Case cases[] = {{nullptr, false}, {"8.0", true}, {"9.0-rc3", true}, {"", true}};
    for (const Case& c : cases)
        EXPECT_EQ(frame::SettlesPictureLookWhenShown(c.wineVersion), c.settles)
            << (c.wineVersion ? c.wineVersion : "Windows");
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
