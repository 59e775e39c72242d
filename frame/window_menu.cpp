#include "frame/window_menu.h"

#include "frame/frame_logic.h"

namespace frame {

const std::vector<WindowMenuItem>& WindowMenuItems() {
    static const std::vector<WindowMenuItem> items{
        {IDM_PLACEMENT, L"位置とサイズの指定(&P)...", true},
        {IDM_SHOW_PANEL, L"操作パネルを表示(&O)", false},
        {IDM_DEFAULT_PLACEMENT, L"既定の位置とサイズに戻す(&D)", false},
    };
    return items;
}

std::optional<unsigned int> WindowMenuCommand(unsigned int command) noexcept {
    const unsigned int item = command & kSysCommandMask;
    for (const WindowMenuItem& known : WindowMenuItems())
        if (known.command == item)
            return item;
    return std::nullopt;
}

bool WindowMenuItemEnabled(unsigned int command, const WindowMenuState& state) noexcept {
    switch (command) {
    case IDM_SHOW_PANEL: return !state.panelVisible;
    case IDM_DEFAULT_PLACEMENT: return !state.pictureHeld; // it resizes the frame
    }
    return true;
}

} // namespace frame
