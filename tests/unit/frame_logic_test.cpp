#include "frame/frame_logic.h"

#include <gtest/gtest.h>

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

} // namespace
