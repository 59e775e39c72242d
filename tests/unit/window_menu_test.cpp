#include "frame/frame_logic.h"
#include "frame/window_menu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace {

using namespace frame;

TEST(WindowMenu, CommandsKeepClearOfTheSystemsBitsAndOfEachOther) {
    std::set<unsigned int> seen{kAboutCommand};
    for (const WindowMenuItem& item : WindowMenuItems()) {
        EXPECT_EQ(item.command & ~kSysCommandMask, 0u) << item.command;
        EXPECT_LT(item.command, 0xF000u) << "the system's own commands start at SC_SIZE";
        EXPECT_TRUE(seen.insert(item.command).second) << item.command;
    }
}

TEST(WindowMenu, CommandsMapToTheirItemWhateverTheLowBits) {
    EXPECT_EQ(WindowMenuCommand(IDM_PLACEMENT), IDM_PLACEMENT);
    EXPECT_EQ(WindowMenuCommand(IDM_SHOW_PANEL | 0x000F), IDM_SHOW_PANEL);
    EXPECT_EQ(WindowMenuCommand(IDM_DEFAULT_PLACEMENT | 0x0003), IDM_DEFAULT_PLACEMENT);
    EXPECT_FALSE(WindowMenuCommand(IDM_ABOUTBOX).has_value());
    EXPECT_FALSE(WindowMenuCommand(0xF060).has_value()); // SC_CLOSE
}

TEST(WindowMenu, ItemsAreGreyedWhenTheyWouldDoNothingOrResizeAPicture) {
    const struct {
        bool panelVisible, pictureHeld, countingDown;
        bool placement, showPanel, defaultPlacement, timedCapture;
    } rows[] = {
        {true, false, false, true, false, true, true},
        {false, false, false, true, true, true, true},
        {true, true, false, true, false, false, true}, // a timed capture then says why it cannot run
        {false, true, false, true, true, false, true},
        {true, false, true, true, false, true, false}, // one count at a time
        {false, false, true, true, true, true, false},
    };
    for (const auto& row : rows) {
        const WindowMenuState state{row.panelVisible, row.pictureHeld, row.countingDown};
        const std::string what = "panel visible " + std::to_string(row.panelVisible) + ", picture held " +
                                 std::to_string(row.pictureHeld) + ", counting down " +
                                 std::to_string(row.countingDown);
        EXPECT_EQ(WindowMenuItemEnabled(IDM_PLACEMENT, state), row.placement) << what;
        EXPECT_EQ(WindowMenuItemEnabled(IDM_SHOW_PANEL, state), row.showPanel) << what;
        EXPECT_EQ(WindowMenuItemEnabled(IDM_DEFAULT_PLACEMENT, state), row.defaultPlacement) << what;
        for (unsigned int timed : {IDM_CAPTURE_IN_3S, IDM_CAPTURE_IN_5S, IDM_CAPTURE_IN_10S})
            EXPECT_EQ(WindowMenuItemEnabled(timed, state), row.timedCapture) << what << ", item " << timed;
    }
}

} // namespace

namespace {

using namespace frame;

TEST(WindowMenu, SeriesAndTimedCaptureExcludeEachOtherAndFitWaitsForClear) {
    WindowMenuState state;
    for (unsigned int always : {IDM_QUICK_SHOT, IDM_SERIES, IDM_FIT_WINDOW, IDM_SETTINGS})
        EXPECT_TRUE(WindowMenuItemEnabled(always, state)) << always;
    state.pictureHeld = true; // a quick shot then writes the picture; a series says why it cannot start
    EXPECT_FALSE(WindowMenuItemEnabled(IDM_FIT_WINDOW, state));
    EXPECT_TRUE(WindowMenuItemEnabled(IDM_QUICK_SHOT, state));
    EXPECT_TRUE(WindowMenuItemEnabled(IDM_SERIES, state));
    state = {};
    state.countingDown = true;
    EXPECT_FALSE(WindowMenuItemEnabled(IDM_SERIES, state));
    state = {};
    state.seriesRunning = true; // the series item stops it then
    EXPECT_TRUE(WindowMenuItemEnabled(IDM_SERIES, state));
    for (unsigned int timed : {IDM_CAPTURE_IN_3S, IDM_CAPTURE_IN_5S, IDM_CAPTURE_IN_10S})
        EXPECT_FALSE(WindowMenuItemEnabled(timed, state)) << timed;
}

TEST(WindowMenu, SeriesItemReadsAsItsStopWhileRunning) {
    const auto& items = WindowMenuItems();
    const auto series =
        std::find_if(items.begin(), items.end(), [](auto& i) { return i.command == IDM_SERIES; });
    ASSERT_NE(series, items.end());
    WindowMenuState state;
    EXPECT_EQ(std::wstring(WindowMenuItemText(*series, state)), L"連続キャプチャ(&B)");
    state.seriesRunning = true;
    EXPECT_EQ(std::wstring(WindowMenuItemText(*series, state)), L"連続キャプチャを停止(&B)");
    EXPECT_EQ(std::wstring(WindowMenuItemText(items.front(), state)), items.front().text);
}

} // namespace
