#include "app/console_events.h"
#include "app/debug_switch.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(DebugSwitch, OnlyAnExactMatchCounts) {
    struct Case {
        const wchar_t* arg;
        bool matches;
    };
    const Case cases[] = {
        {L"-D733", true},   {L"-d733", false}, {L"-D7330", false}, {L"/D733", false}, {L"-D733 ", false},
        {L" -D733", false}, {L"", false},      {L"-D73", false},   {nullptr, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(app::IsDebugSwitch(c.arg), c.matches) << (c.arg ? c.arg : L"(null)");
}

TEST(DebugSwitch, EveryMatchingArgumentCountsProgramNameIncluded) {
    const std::vector<const wchar_t*> once = {L"vantrel.exe", L"x", L"-D733"};
    const std::vector<const wchar_t*> twice = {L"vantrel.exe", L"-D733", L"y", L"-D733"};
    const std::vector<const wchar_t*> asName = {L"-D733", L"x"};
    const std::vector<const wchar_t*> none = {L"vantrel.exe", L"-d733", L""};
    EXPECT_EQ(app::CountDebugSwitches(once.data(), 3), 1);
    EXPECT_EQ(app::CountDebugSwitches(twice.data(), 4), 2);
    EXPECT_EQ(app::CountDebugSwitches(asName.data(), 2), 1);
    EXPECT_EQ(app::CountDebugSwitches(none.data(), 3), 0);
}

TEST(DebugSwitch, NoArgumentArrayIsLikeNoArguments) {
    // The command-line splitter can fail and hand back no array at all.
    EXPECT_EQ(app::CountDebugSwitches(nullptr, 0), 0);
    EXPECT_EQ(app::CountDebugSwitches(nullptr, 3), 0);
}

TEST(ConsoleEvents, InterruptsAreIgnoredEndingsCloseTheFrame) {
    using app::ConsoleEventAction;
    EXPECT_EQ(app::ActionForConsoleEvent(0), ConsoleEventAction::Ignore);     // Ctrl+C
    EXPECT_EQ(app::ActionForConsoleEvent(1), ConsoleEventAction::Ignore);     // Ctrl+Break
    EXPECT_EQ(app::ActionForConsoleEvent(2), ConsoleEventAction::CloseFrame); // console closed
    EXPECT_EQ(app::ActionForConsoleEvent(5), ConsoleEventAction::CloseFrame); // logoff
    EXPECT_EQ(app::ActionForConsoleEvent(6), ConsoleEventAction::CloseFrame); // shutdown
    EXPECT_EQ(app::ActionForConsoleEvent(3), ConsoleEventAction::Ignore);     // unknown codes
}

} // namespace
