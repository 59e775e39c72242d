#include "quick/series_schedule.h"

#include <gtest/gtest.h>

namespace {

using quick::SeriesSchedule;

constexpr std::uint64_t kStart = 1'000'000;

TEST(SeriesSchedule, LateTimersNeverAddUpOverAnHour) {
    SeriesSchedule s(kStart, 1000, 0);
    for (std::uint64_t k = 0; k < 3600; ++k) {
        // Each timer comes up to 49 ms late (and once in a while a little early, which decides nothing).
        const std::uint64_t due = kStart + k * 1000;
        ASSERT_EQ(s.NextDueMs(), due);
        EXPECT_FALSE(s.Look(due - 7).shoot);
        const SeriesSchedule::Decision d = s.Look(due + (k * 37) % 50);
        ASSERT_TRUE(d.shoot) << "shot " << k;
        EXPECT_EQ(d.slotsSkipped, 0u);
        s.Taken();
    }
    EXPECT_EQ(s.NextDueMs(), kStart + 3600 * 1000);
    EXPECT_EQ(s.TakenCount(), 3600u);
    EXPECT_FALSE(s.Finished());
}

TEST(SeriesSchedule, MomentsMissedWhileAsleepAreSkippedNotFiredInABurst) {
    SeriesSchedule s(kStart, 1000, 0);
    for (int k = 0; k < 3; ++k) {
        ASSERT_TRUE(s.Look(kStart + k * 1000).shoot);
        s.Taken();
    }
    // Asleep from 3 s to 10.7 s: the moments 3 to 10 passed, 10 by more than half an interval.
    SeriesSchedule::Decision d = s.Look(kStart + 10'700);
    EXPECT_FALSE(d.shoot);
    EXPECT_EQ(d.slotsSkipped, 8u);
    EXPECT_EQ(s.NextDueMs(), kStart + 11'000);
    EXPECT_FALSE(s.Look(kStart + 10'800).shoot);
    EXPECT_TRUE(s.Look(kStart + 11'000).shoot);
    s.Taken();
    // Woken shortly after a moment: that one shot is taken, the ones before it are not.
    d = s.Look(kStart + 20'120);
    EXPECT_TRUE(d.shoot);
    EXPECT_EQ(d.slotsSkipped, 8u); // 12 to 19
    EXPECT_EQ(s.NextDueMs(), kStart + 21'000);
}

TEST(SeriesSchedule, EndsAfterTheShotsTakenNotTheMomentsPassed) {
    SeriesSchedule s(kStart, 2000, 3);
    ASSERT_TRUE(s.Look(kStart).shoot);
    s.Taken();
    ASSERT_TRUE(s.Look(kStart + 2000).shoot); // due, but a dialog was open: not taken
    ASSERT_TRUE(s.Look(kStart + 4000).shoot);
    s.Taken();
    EXPECT_FALSE(s.Finished());
    ASSERT_TRUE(s.Look(kStart + 6000).shoot);
    s.Taken();
    EXPECT_TRUE(s.Finished());
    EXPECT_FALSE(s.Look(kStart + 8000).shoot);
    EXPECT_EQ(s.TakenCount(), 3u);
}

TEST(SeriesSchedule, LatenessAllowedIsHalfAnIntervalUpToASecond) {
    EXPECT_EQ(SeriesSchedule(0, 1000, 0).LatenessAllowedMs(), 500u);
    EXPECT_EQ(SeriesSchedule(0, 3'600'000, 0).LatenessAllowedMs(), 1000u);
    SeriesSchedule s(0, 1000, 0);
    EXPECT_TRUE(s.Look(500).shoot);
    EXPECT_FALSE(s.Look(1501).shoot);
}

TEST(SeriesSchedule, ButtonShowsShotsTakenAndTheirNumber) {
    EXPECT_EQ(quick::SeriesButtonText(3, 10), L"3/10");
    EXPECT_EQ(quick::SeriesButtonText(12, 0), L"12枚");
}

} // namespace
