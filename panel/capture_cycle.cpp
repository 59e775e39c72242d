#include "panel/capture_cycle.h"

namespace panel {

Refusal RefusalFor(Command command, bool pictureHeld) noexcept {
    switch (command) {
    case Command::Capture: return pictureHeld ? Refusal::AlreadyCaptured : Refusal::None;
    case Command::Copy: return pictureHeld ? Refusal::None : Refusal::NothingToCopy;
    case Command::Save: return pictureHeld ? Refusal::None : Refusal::NothingToSave;
    case Command::Clear:
    case Command::CaptureToClipboard: return Refusal::None;
    }
    return Refusal::None;
}

const wchar_t* RefusalText(Refusal refusal) noexcept {
    switch (refusal) {
    case Refusal::AlreadyCaptured:
        return L"すでにキャプチャー中です。\r\n再度キャプチャーするにはClearしてください.";
    case Refusal::NothingToCopy: return L"現在キャプチャイメージを保持していません";
    case Refusal::NothingToSave: return L"現在キャプチャー中の画像はありません.";
    case Refusal::None: break;
    }
    return nullptr;
}

bool TakesActivationBack(CaptureStart start) noexcept {
    return start == CaptureStart::PanelCommand;
}

} // namespace panel
