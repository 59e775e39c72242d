#include "panel/capture_countdown.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using panel::CaptureButtonText;
using panel::CaptureCountdown;

// Ticks until the capture is due (at most a minute); the button's text before each tick and after the last.
std::vector<std::wstring> RunDown(CaptureCountdown& countdown, int& ticks) {
    std::vector<std::wstring> shown{CaptureButtonText(countdown, L"Capture")};
    for (ticks = 1; ticks <= 60; ++ticks) {
        const bool due = countdown.Tick();
        shown.push_back(CaptureButtonText(countdown, L"Capture"));
        if (due)
            break;
    }
    return shown;
}

TEST(CaptureCountdown, EachLengthCountsDownOnTheButtonAndCapturesOnceAtZero) {
    const struct {
        int seconds;
        std::vector<std::wstring> shown;
    } rows[] = {
        {3, {L"3", L"2", L"1", L"Capture"}},
        {5, {L"5", L"4", L"3", L"2", L"1", L"Capture"}},
        {10, {L"10", L"9", L"8", L"7", L"6", L"5", L"4", L"3", L"2", L"1", L"Capture"}},
    };
    for (const auto& row : rows) {
        CaptureCountdown countdown;
        ASSERT_TRUE(countdown.Start(row.seconds));
        int ticks = 0;
        EXPECT_EQ(RunDown(countdown, ticks), row.shown) << row.seconds;
        EXPECT_EQ(ticks, row.seconds) << "the capture is due after exactly the chosen seconds";
        EXPECT_FALSE(countdown.Counting());
        // A tick that was already on its way when the count ended captures nothing more.
        EXPECT_FALSE(countdown.Tick());
        EXPECT_EQ(CaptureButtonText(countdown, L"Capture"), L"Capture");
    }
}

TEST(CaptureCountdown, ARunningCountIsNeitherRestartedNorShortened) {
    CaptureCountdown countdown;
    ASSERT_TRUE(countdown.Start(10));
    countdown.Tick();
    EXPECT_FALSE(countdown.Start(3));
    EXPECT_EQ(countdown.SecondsLeft(), 9);
    EXPECT_FALSE(CaptureCountdown().Start(0));
    EXPECT_FALSE(CaptureCountdown().Start(-3));
}

TEST(CaptureCountdown, ACancelledCountNeverCapturesAndANewOneStartsAfresh) {
    CaptureCountdown countdown;
    ASSERT_TRUE(countdown.Start(3));
    countdown.Tick();
    countdown.Cancel();
    EXPECT_EQ(CaptureButtonText(countdown, L"Capture"), L"Capture");
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(countdown.Tick());
    ASSERT_TRUE(countdown.Start(3));
    int ticks = 0;
    RunDown(countdown, ticks);
    EXPECT_EQ(ticks, 3);
}

} // namespace
