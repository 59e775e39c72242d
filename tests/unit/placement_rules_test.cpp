#include "frame/placement_rules.h"

#include <gtest/gtest.h>

namespace {

using namespace frame;
using platform::Rect;

// A primary monitor and one to its left, lower down; the smallest client area 120 x 30.
Desktop TwoMonitors() {
    Desktop d;
    d.monitors = {Rect{0, 0, 1920, 1080}, Rect{-1280, 100, 0, 1124}};
    d.smallestClient = {120, 30};
    d.largestClient = {3200, 1124};
    d.captionHeight = 20;
    return d;
}

TEST(PlacementRules, ParsesWholeNumbersAsTyped) {
    const struct {
        const wchar_t* text;
        std::optional<long long> value;
    } rows[] = {
        {L"120", 120},
        {L" -45 ", -45},
        {L"+7", 7},
        {L"0", 0},
        {L"\uFF11\uFF12\uFF13", 123}, // full-width digits from an input method
        {L"\uFF0D\uFF15", -5},        // full-width minus
        {L"\u3000640\u3000", 640},    // ideographic spaces
        {L"", std::nullopt},
        {L"  ", std::nullopt},
        {L"-", std::nullopt},
        {L"12.5", std::nullopt},
        {L"1e3", std::nullopt},
        {L"12 3", std::nullopt},
        {L"abc", std::nullopt},
        {L"--1", std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ParseWholeNumber(row.text), row.value) << "text: " << testing::PrintToString(row.text);
    // Far too long for any screen: still a number, and one that no range admits.
    const auto huge = ParseWholeNumber(L"-99999999999999999999999");
    ASSERT_TRUE(huge.has_value());
    EXPECT_LT(*huge, -1'000'000'000'000LL);
}

TEST(PlacementRules, ChecksFieldsInOrderAndSelectsTheOffendingOne) {
    const Desktop d = TwoMonitors();
    const Rect current{100, 100, 400, 300};
    using P = PlacementProblem;
    using F = PlacementField;
    const struct {
        PlacementFields typed;
        P problem;
        F field;
    } rows[] = {
        {{L"abc", L"10", L"x", L"40"}, P::NotWholeNumber, F::X}, // the first bad field wins
        {{L"10", L"", L"640", L"480"}, P::NotWholeNumber, F::Y},
        {{L"10", L"40", L"12.5", L"480"}, P::NotWholeNumber, F::Width},
        {{L"10", L"40", L"640", L"h"}, P::NotWholeNumber, F::Height},
        {{L"10", L"40", L"119", L"480"}, P::SizeOutOfRange, F::Width},
        {{L"10", L"40", L"3201", L"480"}, P::SizeOutOfRange, F::Width},
        {{L"10", L"40", L"-640", L"480"}, P::SizeOutOfRange, F::Width},
        {{L"10", L"40", L"640", L"29"}, P::SizeOutOfRange, F::Height},
        {{L"10", L"40", L"640", L"1125"}, P::SizeOutOfRange, F::Height},
        // The caption's middle is 10 rows above the client area: above the primary monitor's top here.
        {{L"100", L"9", L"640", L"480"}, P::CaptionOffMonitor, F::Y},
        // Right of every monitor: no Y would help.
        {{L"5000", L"400", L"640", L"480"}, P::CaptionOffMonitor, F::X},
        // Over the left monitor but above its top, which lies lower than the primary's.
        {{L"-1000", L"50", L"400", L"300"}, P::CaptionOffMonitor, F::Y},
        {{L"99999999999", L"400", L"640", L"480"}, P::CaptionOffMonitor, F::X},
    };
    for (const auto& row : rows) {
        const PlacementCheck check = CheckPlacement(row.typed, current, false, d);
        const std::string what =
            testing::PrintToString(row.typed.x) + " " + testing::PrintToString(row.typed.y) + " " +
            testing::PrintToString(row.typed.width) + " " + testing::PrintToString(row.typed.height);
        EXPECT_EQ(check.problem, row.problem) << what;
        EXPECT_EQ(check.field, row.field) << what;
    }
}

TEST(PlacementRules, ValidFieldsGiveTheClientRectangle) {
    const Desktop d = TwoMonitors();
    const Rect current{100, 100, 400, 300};
    const struct {
        PlacementFields typed;
        bool held;
        Rect client;
    } rows[] = {
        {{L"100", L"200", L"640", L"480"}, false, {100, 200, 740, 680}},
        {{L"-1000", L"300", L"500", L"400"}, false, {-1000, 300, -500, 700}}, // on the left monitor
        {{L"100", L"10", L"120", L"30"}, false, {100, 10, 220, 40}},          // caption row 0, smallest size
        {{L"0", L"20", L"3200", L"1124"}, false, {0, 20, 3200, 1144}},        // the largest size
        // While a picture is held only the position is read; the size stays.
        {{L"10", L"50", L"junk", L""}, true, {10, 50, 310, 250}},
    };
    for (const auto& row : rows) {
        const PlacementCheck check = CheckPlacement(row.typed, current, row.held, d);
        EXPECT_EQ(check.problem, PlacementProblem::None) << testing::PrintToString(row.typed.x);
        EXPECT_EQ(check.client, row.client) << testing::PrintToString(row.typed.x);
    }
}

TEST(PlacementRules, MessagesSayWhatIsWrong) {
    const Desktop d = TwoMonitors();
    auto message = [&](PlacementProblem problem, PlacementField field) {
        PlacementCheck check;
        check.problem = problem;
        check.field = field;
        return PlacementMessage(check, d);
    };
    EXPECT_EQ(message(PlacementProblem::None, PlacementField::X), L"");
    EXPECT_EQ(message(PlacementProblem::NotWholeNumber, PlacementField::X),
              L"X には整数を入力してください。");
    EXPECT_EQ(message(PlacementProblem::NotWholeNumber, PlacementField::Height),
              L"高さには整数を入力してください。");
    EXPECT_EQ(message(PlacementProblem::SizeOutOfRange, PlacementField::Width),
              L"幅は 120 から 3200 までの整数で指定してください。");
    EXPECT_EQ(message(PlacementProblem::SizeOutOfRange, PlacementField::Height),
              L"高さは 30 から 1124 までの整数で指定してください。");
    EXPECT_EQ(message(PlacementProblem::CaptionOffMonitor, PlacementField::Y),
              L"この位置ではタイトル バーがどの画面にも入らず、枠をつかめなくなります。");
}

TEST(PlacementRules, CommonSizesAndTheirText) {
    ASSERT_EQ(CommonSizes().size(), 8u);
    EXPECT_EQ(SizeText(CommonSizes().front()), L"640 x 480");
    EXPECT_EQ(SizeText(CommonSizes().back()), L"1920 x 1080");
}

TEST(PlacementRules, ArrowKeysMoveAndSize) {
    const Desktop d = TwoMonitors();
    const Rect client{100, 100, 500, 400}; // 400 x 300
    const struct {
        unsigned int key;
        bool shift, ctrl, held;
        Rect after;
    } rows[] = {
        {kVkLeft, false, false, false, {99, 100, 499, 400}},
        {kVkRight, false, false, false, {101, 100, 501, 400}},
        {kVkUp, false, false, false, {100, 99, 500, 399}},
        {kVkDown, false, false, false, {100, 101, 500, 401}},
        {kVkLeft, true, false, false, {90, 100, 490, 400}},
        {kVkDown, true, false, false, {100, 110, 500, 410}},
        {kVkRight, false, true, false, {100, 100, 501, 400}},
        {kVkLeft, false, true, false, {100, 100, 499, 400}},
        {kVkDown, false, true, false, {100, 100, 500, 401}},
        {kVkUp, false, true, false, {100, 100, 500, 399}},
        {kVkRight, true, true, false, {100, 100, 510, 400}},
        {kVkUp, true, true, false, {100, 100, 500, 390}},
        // A held picture refuses sizing; moving still works.
        {kVkRight, true, true, true, {100, 100, 500, 400}},
        {kVkLeft, true, false, true, {90, 100, 490, 400}},
    };
    for (const auto& row : rows) {
        const auto change = ChangeForKey(row.key, row.shift, row.ctrl);
        ASSERT_TRUE(change.has_value());
        EXPECT_EQ(ApplyKeyChange(client, *change, row.held, d), row.after)
            << "key " << row.key << " shift " << row.shift << " ctrl " << row.ctrl << " held " << row.held;
    }
    EXPECT_FALSE(ChangeForKey(0x41, false, true).has_value());  // 'A'
    EXPECT_FALSE(ChangeForKey(0x0D, false, false).has_value()); // Enter keeps its meaning
}

TEST(PlacementRules, SizingKeysStopAtTheLimits) {
    const Desktop d = TwoMonitors();
    auto sized = [&](const Rect& client, unsigned int key) {
        return ApplyKeyChange(client, *ChangeForKey(key, true, true), false, d);
    };
    EXPECT_EQ(sized({0, 0, 125, 35}, kVkLeft).Width(), 120);
    EXPECT_EQ(sized({0, 0, 125, 35}, kVkUp).Height(), 30);
    EXPECT_EQ(sized({0, 0, 3195, 1120}, kVkRight).Width(), 3200);
    EXPECT_EQ(sized({0, 0, 3195, 1120}, kVkDown).Height(), 1124);
    // A size already below the smallest (set from elsewhere) is not made smaller, and may grow.
    EXPECT_EQ(sized({0, 0, 100, 20}, kVkLeft).Width(), 100);
    EXPECT_EQ(sized({0, 0, 100, 20}, kVkRight).Width(), 110);
}

StoredValue Dword(std::uint32_t value) {
    return StoredValue{true, kRegDword, 4, value};
}

TEST(PlacementRules, StoredFrameIsUsedOnlyWhenValid) {
    const Desktop d = TwoMonitors();
    const StoredFrame valid{Dword(100), Dword(200), Dword(640), Dword(480), Dword(0)};
    const RestoredFrame restored = CheckStoredFrame(valid, d);
    ASSERT_TRUE(restored.client.has_value());
    EXPECT_EQ(*restored.client, (Rect{100, 200, 740, 680}));
    EXPECT_EQ(restored.rightPos, false);

    // A negative position on the left monitor is as good as any.
    StoredFrame left = valid;
    left.left = Dword(static_cast<std::uint32_t>(-1000));
    EXPECT_EQ(CheckStoredFrame(left, d).client, (Rect{-1000, 200, -360, 680}));

    const struct {
        const char* name;
        StoredValue StoredFrame::*value;
        StoredValue stored;
    } broken[] = {
        {"missing height", &StoredFrame::height, StoredValue{}},
        {"left of the wrong type (REG_SZ)", &StoredFrame::left, StoredValue{true, 1, 4, 100}},
        {"width of eight bytes", &StoredFrame::width, StoredValue{true, kRegDword, 8, 640}},
        {"top of two bytes", &StoredFrame::top, StoredValue{true, kRegDword, 2, 200}},
        {"negative width", &StoredFrame::width, Dword(static_cast<std::uint32_t>(-640))},
        {"width below the smallest", &StoredFrame::width, Dword(119)},
        {"absurd height", &StoredFrame::height, Dword(100000)},
        {"off every monitor", &StoredFrame::left, Dword(5000)},
        {"caption above the screen", &StoredFrame::top, Dword(5)},
        {"right edge beyond 32 bits", &StoredFrame::left, Dword(0x7FFFFFF0)},
    };
    for (const auto& row : broken) {
        StoredFrame stored = valid;
        stored.*row.value = row.stored;
        const RestoredFrame r = CheckStoredFrame(stored, d);
        EXPECT_FALSE(r.client.has_value()) << row.name;
        EXPECT_EQ(r.rightPos, false) << row.name << ": the side is restored on its own";
    }
}

TEST(PlacementRules, StoredSideIsUsedOnlyWhenZeroOrOne) {
    const Desktop d = TwoMonitors();
    const struct {
        StoredValue stored;
        std::optional<bool> rightPos;
    } rows[] = {
        {Dword(1), true},
        {Dword(0), false},
        {Dword(7), std::nullopt},
        {StoredValue{true, 3, 4, 1}, std::nullopt}, // REG_BINARY
        {StoredValue{}, std::nullopt},
    };
    for (const auto& row : rows) {
        StoredFrame stored; // no rectangle at all
        stored.rightPos = row.stored;
        const RestoredFrame r = CheckStoredFrame(stored, d);
        EXPECT_FALSE(r.client.has_value());
        EXPECT_EQ(r.rightPos, row.rightPos) << row.stored.data;
    }
}

} // namespace
