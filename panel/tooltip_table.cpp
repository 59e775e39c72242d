#include "panel/tooltip_table.h"

#include "res/resource.h"

#include <iterator>

namespace panel {

const std::array<TipTool, 5>& TipTools() noexcept {
    static const std::array<TipTool, 5> tools = {{
        {IDC_CLEAR, L"イメージクリア", L"画像をクリアして透明に戻します"},
        {IDC_CAPTURE, L"イメージキャプチャ", L"メインパネルの枠内をキャプチャします"},
        {IDC_COPY, L"クリップボードにコピー", L"キャプチャ中のイメージをクリップボードにコピーします"},
        {IDC_SAVE, L"保存", L"キャプチャー中のイメージをファイルに保存します"},
        {IDC_RIGHTPOS, L"操作パネル表示位置", L"Operationパネルの左右位置を指定します"},
    }};
    return tools;
}

const wchar_t* TipDescription(int controlId) noexcept {
    for (const TipTool& tool : TipTools())
        if (tool.controlId == controlId)
            return tool.description;
    return L"";
}

// Each icon is drawn at three sizes; a tip takes the smallest one that is at least as large as its icon
// column, so that it is scaled down (and not at all at 96, 144 and 192 dpi); above 192 dpi the largest is
// scaled up.
TipIcon TipIconFor(int controlId, int size) noexcept {
    struct Images {
        int controlId;
        int ids[3];
    };
    static constexpr int kSizes[3] = {32, 48, 64};
    static constexpr Images kImages[] = {
        {IDC_CAPTURE, {IDB_CAPTURE, IDB_CAPTURE_48, IDB_CAPTURE_64}},
        {IDC_CLEAR, {IDB_CLEAR, IDB_CLEAR_48, IDB_CLEAR_64}},
        {IDC_COPY, {IDB_COPY, IDB_COPY_48, IDB_COPY_64}},
        {IDC_SAVE, {IDB_SAVE, IDB_SAVE_48, IDB_SAVE_64}},
    };
    for (const Images& images : kImages) {
        if (images.controlId != controlId)
            continue;
        int i = 0;
        while (i + 1 < static_cast<int>(std::size(kSizes)) && kSizes[i] < size)
            ++i;
        return {images.ids[i], kSizes[i]};
    }
    return {};
}

platform::ToolTipParams PanelLook() noexcept {
    platform::ToolTipParams look;
    look.visualManager = true;
    return look;
}

platform::ToolTipParams StyledLook() noexcept {
    using platform::TipColour;
    platform::ToolTipParams look;
    look.drawSeparator = false;
    look.roundedCorners = true;
    look.fillColour = TipColour(255, 255, 255);
    look.fillGradientColour = TipColour(206, 212, 225);
    look.textColour = TipColour(76, 76, 76);
    look.borderColour = TipColour(118, 118, 118);
    return look;
}

// Key presses, pointer moves and single button presses and releases; double clicks and everything
// else pass the tooltip by.
bool IsRelayedToTip(unsigned message) noexcept {
    using namespace tip_message;
    switch (message) {
    case kKeyDown:
    case kSysKeyDown:
    case kMouseMove:
    case kLButtonDown:
    case kLButtonUp:
    case kRButtonDown:
    case kRButtonUp:
    case kMButtonDown:
    case kMButtonUp: return true;
    }
    return false;
}

} // namespace panel
