#pragma once
// What the panel's tips say and show: the five tools with their labels and descriptions, the icon of
// each control, the tips' look, and which queued messages the tooltip has to see.

#include "platform/tooltip_look.h"

#include <array>

namespace panel {

struct TipTool {
    int controlId;
    const wchar_t* label;       // given when the tool is added
    const wchar_t* description; // set each time the tip shows
};

// The panel's tools in the order they are added.
const std::array<TipTool, 5>& TipTools() noexcept;

// The description shown under the label of a control's tip; "" for a control without a tool.
const wchar_t* TipDescription(int controlId) noexcept;

// The icon column's size at 96 dpi, for every tool.
inline constexpr int kTipIconSize = 32;

// The image a control's icon column of size x size pixels is drawn from: the bitmap resource and its size
// (it is scaled to the column when that differs); {0, 0} when the column stays empty.
struct TipIcon {
    int bitmapId = 0;
    int size = 0;
};
TipIcon TipIconFor(int controlId, int size) noexcept;

// The panel's record: the default one, with the look taken from the display.
platform::ToolTipParams PanelLook() noexcept;
// The styled look the panel's tips take where the display can carry it: rounded, no separator, white to
// blue-grey, grey text and border.
platform::ToolTipParams StyledLook() noexcept;

// The window messages the tooltip is given (WM_KEYDOWN ... WM_MBUTTONUP), repeated so that this file
// builds without Win32; the panel checks them against the real ones.
namespace tip_message {
inline constexpr unsigned kKeyDown = 0x0100;
inline constexpr unsigned kSysKeyDown = 0x0104;
inline constexpr unsigned kMouseMove = 0x0200;
inline constexpr unsigned kLButtonDown = 0x0201;
inline constexpr unsigned kLButtonUp = 0x0202;
inline constexpr unsigned kRButtonDown = 0x0204;
inline constexpr unsigned kRButtonUp = 0x0205;
inline constexpr unsigned kMButtonDown = 0x0207;
inline constexpr unsigned kMButtonUp = 0x0208;
} // namespace tip_message

// True for the key and button messages the tooltip needs to show and hide tips.
bool IsRelayedToTip(unsigned message) noexcept;

} // namespace panel
