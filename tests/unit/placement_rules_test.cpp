#include "frame/placement_rules.h"

#include "platform/dpi_scale.h"

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
        check.limits = {d.smallestClient, d.largestClient};
        return PlacementMessage(check);
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

// ---------------------------------------------------------------- monitors of different scales

// The frame's borders and caption at a scale (8 and 31 pixels at 96 dpi), and the system's limits there, as
// the frame gathers them: the smallest window 136 x 39, the largest the virtual screen with a sizing border
// of 4 pixels and 2 more on each side.
Rect MarginsAt(int dpi) {
    using platform::Scale;
    return {Scale(8, dpi), Scale(31, dpi), Scale(8, dpi), Scale(8, dpi)};
}

MonitorScale ScaleOf(const Rect& monitor, int dpi, const Rect& virtualScreen) {
    using platform::Scale;
    const Rect m = MarginsAt(dpi);
    const int across = m.left + m.right, down = m.top + m.bottom;
    return {monitor,
            dpi,
            m,
            {Scale(136, dpi) - across, Scale(39, dpi) - down},
            {virtualScreen.Width() + 4 + 2 * Scale(4, dpi) - across,
             virtualScreen.Height() + 4 + 2 * Scale(4, dpi) - down}};
}

struct Layout {
    const char* name;
    int primaryDpi;
    Rect second;
    int secondDpi;
};

// A 1920 x 1080 primary monitor and a second one where the row puts it, the frame standing on the primary.
Desktop DesktopOf(const Layout& l) {
    const Rect primary{0, 0, 1920, 1080};
    const Rect all{std::min(primary.left, l.second.left), std::min(primary.top, l.second.top),
                   std::max(primary.right, l.second.right), std::max(primary.bottom, l.second.bottom)};
    Desktop d;
    d.monitors = {primary, l.second};
    d.scales = {ScaleOf(primary, l.primaryDpi, all), ScaleOf(l.second, l.secondDpi, all)};
    d.smallestClient = d.scales[0].smallestClient;
    d.largestClient = d.scales[0].largestClient;
    d.captionHeight = platform::Scale(23, l.primaryDpi);
    return d;
}

const Layout kLayouts[] = {
    {"100 % primary, 150 % on the right", 96, {1920, 0, 3840, 1080}, 144},
    {"150 % primary, 100 % on the right", 144, {1920, 200, 3200, 1224}, 96},
    {"150 % primary, 100 % on the left", 144, {-1280, 0, 0, 1024}, 96},
    {"100 % primary, 200 % above", 96, {0, -1440, 2560, 0}, 192},
    {"100 % primary, 200 % left and above", 96, {-2560, -1440, 0, 0}, 192},
};

// A client area in the middle of a monitor.
Rect InTheMiddleOf(const Rect& monitor) {
    const int x = monitor.left + monitor.Width() / 4, y = monitor.top + monitor.Height() / 4;
    return {x, y, x + 400, y + 300};
}

// The frame is framed at the scale of the monitor its client area goes to, so the client area lands exactly
// where it was asked to, at any scale on either side.
TEST(PlacementOnScaledMonitors, FrameTakesTheBordersOfTheMonitorItGoesTo) {
    const Rect present = MarginsAt(96);
    for (const Layout& l : kLayouts) {
        SCOPED_TRACE(l.name);
        const Desktop d = DesktopOf(l);
        const Rect onSecond = InTheMiddleOf(l.second), onPrimary = InTheMiddleOf(d.monitors[0]);
        EXPECT_EQ(FrameWindowFor(onSecond, d, present), platform::Outset(onSecond, MarginsAt(l.secondDpi)));
        EXPECT_EQ(FrameWindowFor(onPrimary, d, present),
                  platform::Outset(onPrimary, MarginsAt(l.primaryDpi)));
        ASSERT_NE(ScaleWhere(onSecond, d), nullptr);
        EXPECT_EQ(ScaleWhere(onSecond, d)->dpi, l.secondDpi);
    }
}

// The caption of a frame whose client area lies mostly on the primary monitor but reaches up onto a monitor
// above: framed at the primary's scale, most of the window would lie above and take that monitor's scale,
// so it is framed at the scale above, where it stays.
TEST(PlacementOnScaledMonitors, CaptionReachingOntoTheMonitorAbove) {
    const Desktop d = DesktopOf({"150 % above", 96, {0, -1080, 1920, 0}, 144});
    const Rect client{100, -20, 500, 40};
    ASSERT_NE(ScaleWhere(client, d), nullptr);
    EXPECT_EQ(ScaleWhere(client, d)->dpi, 144);
    EXPECT_EQ(FrameWindowFor(client, d, MarginsAt(96)), platform::Outset(client, MarginsAt(144)));
}

// The largest size typed in the placement dialog is the largest window the system allows on the monitor the
// rectangle lies on, less the borders and caption at that monitor's scale: exactly that is taken, one more is
// refused with the field selected and the limits of that monitor in the message. The remembered frame is held
// to the same limits. (A frame of the largest height reaches onto a monitor below or above, and one of the
// largest width onto one beside: each row tries the size that stays on one monitor.)
TEST(PlacementOnScaledMonitors, LargestSizeIsTheSystemsLargestWindowLessTheFrame) {
    const Rect current{100, 100, 500, 400};
    for (const Layout& l : kLayouts) {
        SCOPED_TRACE(l.name);
        const Desktop d = DesktopOf(l);
        const bool sideBySide = l.second.left >= 1920 || l.second.right <= 0; // no column in common
        for (const MonitorScale& m : d.scales) {
            SCOPED_TRACE(m.dpi);
            const std::wstring x = std::to_wstring(m.rect.left + 50), y = std::to_wstring(m.rect.top + 60);
            const int largest = sideBySide ? m.largestClient.height : m.largestClient.width;
            const int smallest = sideBySide ? m.smallestClient.height : m.smallestClient.width;
            auto typed = [&](int size) {
                return sideBySide ? PlacementFields{x, y, L"640", std::to_wstring(size)}
                                  : PlacementFields{x, y, std::to_wstring(size), L"480"};
            };
            const PlacementCheck exact = CheckPlacement(typed(largest), current, false, d);
            EXPECT_EQ(exact.problem, PlacementProblem::None);
            EXPECT_EQ(sideBySide ? exact.client.Height() : exact.client.Width(), largest);

            const PlacementCheck beyond = CheckPlacement(typed(largest + 1), current, false, d);
            EXPECT_EQ(beyond.problem, PlacementProblem::SizeOutOfRange);
            EXPECT_EQ(beyond.field, sideBySide ? PlacementField::Height : PlacementField::Width);
            EXPECT_EQ(PlacementMessage(beyond),
                      std::wstring(sideBySide ? L"高さ" : L"幅") + L"は " + std::to_wstring(smallest) +
                          L" から " + std::to_wstring(largest) + L" までの整数で指定してください。");

            auto stored = [&](int size) {
                const int width = sideBySide ? 640 : size, height = sideBySide ? size : 480;
                return CheckStoredFrame({Dword(m.rect.left + 50), Dword(m.rect.top + 60), Dword(width),
                                         Dword(static_cast<std::uint32_t>(height)), Dword(1)},
                                        d)
                    .client.has_value();
            };
            EXPECT_TRUE(stored(largest));
            EXPECT_FALSE(stored(largest + 1));
        }
    }
}

} // namespace
