#pragma once
// The items the frame appends to its window menu after the About item, and when each may be chosen.

#include "res/resource.h"

#include <optional>
#include <vector>

namespace frame {

struct WindowMenuItem {
    unsigned int command; // low four bits zero: the system keeps them
    const wchar_t* text;
    bool separatorBefore;
};

// In menu order.
const std::vector<WindowMenuItem>& WindowMenuItems();

// What decides whether an item may be chosen.
struct WindowMenuState {
    bool panelVisible = true;
    bool pictureHeld = false;
    bool countingDown = false;  // a timed capture is counting down
    bool seriesRunning = false; // a series of quick shots is running
};

// The item a window-menu command belongs to (the system's low four bits ignored); none for other commands.
std::optional<unsigned int> WindowMenuCommand(unsigned int command) noexcept;

// Whether the item may be chosen now: greyed items are shown so, and their commands do nothing.
bool WindowMenuItemEnabled(unsigned int command, const WindowMenuState& state) noexcept;

// The text an item shows now: the series item reads as its stop while a series runs.
const wchar_t* WindowMenuItemText(const WindowMenuItem& item, const WindowMenuState& state) noexcept;

// The countdown in seconds of a timed-capture item; none for other items.
std::optional<int> CaptureDelaySeconds(unsigned int command) noexcept;

} // namespace frame
