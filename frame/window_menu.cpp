#include "frame/window_menu.h"

#include "frame/frame_logic.h"

namespace frame {

const std::vector<WindowMenuItem>& WindowMenuItems() {
    static const std::vector<WindowMenuItem> items{
        {IDM_PLACEMENT, L"位置とサイズの指定(&P)...", true},
        {IDM_SHOW_PANEL, L"操作パネルを表示(&O)", false},
        {IDM_DEFAULT_PLACEMENT, L"既定の位置とサイズに戻す(&D)", false},
        {IDM_FIT_WINDOW, L"下のウィンドウに合わせる(&W)", false},
        {IDM_CAPTURE_IN_3S, L"3秒後にキャプチャ(&3)", true},
        {IDM_CAPTURE_IN_5S, L"5秒後にキャプチャ(&5)", false},
        {IDM_CAPTURE_IN_10S, L"10秒後にキャプチャ(&T)", false},
        {IDM_QUICK_SHOT, L"クイック保存(&Q)", true},
        {IDM_SERIES, L"連続キャプチャ(&B)", false},
        {IDM_SETTINGS, L"設定(&E)...", true},
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

// The timed captures and the series stay enabled with a picture held: choosing one then says why Capture
// cannot run. A timed capture and a series exclude each other: the capture at zero would hold a picture,
// which the series' next shots would then write again.
bool WindowMenuItemEnabled(unsigned int command, const WindowMenuState& state) noexcept {
    switch (command) {
    case IDM_SHOW_PANEL: return !state.panelVisible;
    case IDM_DEFAULT_PLACEMENT:
    case IDM_FIT_WINDOW: return !state.pictureHeld; // they resize the frame
    case IDM_CAPTURE_IN_3S:
    case IDM_CAPTURE_IN_5S:
    case IDM_CAPTURE_IN_10S: return !state.countingDown && !state.seriesRunning; // one count at a time
    case IDM_SERIES: return !state.countingDown; // while running it stops the series
    }
    return true;
}

const wchar_t* WindowMenuItemText(const WindowMenuItem& item, const WindowMenuState& state) noexcept {
    if (item.command == IDM_SERIES && state.seriesRunning)
        return L"連続キャプチャを停止(&B)";
    return item.text;
}

std::optional<int> CaptureDelaySeconds(unsigned int command) noexcept {
    switch (command) {
    case IDM_CAPTURE_IN_3S: return 3;
    case IDM_CAPTURE_IN_5S: return 5;
    case IDM_CAPTURE_IN_10S: return 10;
    }
    return std::nullopt;
}

} // namespace frame
