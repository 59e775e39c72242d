#pragma once
// The capture cycle's rules: which panel command is refused in which state, and the texts the
// user is shown.

namespace panel {

enum class Command { Capture, Clear, Copy, Save, CaptureToClipboard };

enum class Refusal { None, AlreadyCaptured, NothingToCopy, NothingToSave };

// Capture needs no picture held; Copy and Save need one; Clear and capture-to-clipboard always run.
Refusal RefusalFor(Command command, bool pictureHeld) noexcept;

// The message box text of a refusal; nullptr for Refusal::None.
const wchar_t* RefusalText(Refusal refusal) noexcept;

// What started a capture that hides and shows the windows.
enum class CaptureStart {
    PanelCommand, // the panel's Capture button, Enter on it, command 1001
    Countdown,    // a timed capture reaching zero, while the user works in another program
};

// Whether the frame and the panel take the activation as they come back: after a command of the panel they
// do (the user was working in them), otherwise the program the user works in keeps it.
bool TakesActivationBack(CaptureStart start) noexcept;

// Failures the user is told of.
inline constexpr wchar_t kCaptureFailedText[] = L"画面をキャプチャーできませんでした。\r\n"
                                                L"キャプチャーする範囲を確かめてください.";
inline constexpr wchar_t kCountdownFailedText[] = L"カウントダウンを始められませんでした。\r\n"
                                                  L"キャプチャーは行いません.";
inline constexpr wchar_t kClipboardBusyText[] = L"クリップボードを開けませんでした。\r\n"
                                                L"他のアプリケーションが使用中です.";
inline constexpr wchar_t kClipboardRefusedText[] = L"クリップボードに画像をコピーできませんでした.";
inline constexpr wchar_t kSaveNoEncoderText[] = L"この拡張子では保存できません。\r\n"
                                                L"拡張子を .bmp .gif .jpg .png のいずれかにしてください.";
inline constexpr wchar_t kSaveFailedText[] = L"画像を保存できませんでした。\r\n"
                                             L"保存先のフォルダーと書き込み権限を確かめてください.";
inline constexpr wchar_t kSaveReadOnlyText[] = L"読み取り専用のファイルには上書きできません。\r\n"
                                               L"別の名前を指定してください.";

// The Capture button's acknowledgement of a quick shot, for a moment.
inline constexpr wchar_t kQuickSavedText[] = L"保存済";
inline constexpr wchar_t kSeriesTimerFailedText[] = L"連続キャプチャを続けられませんでした.";

// The save dialog's file types, the first one selected.
inline constexpr wchar_t kSaveFilter[] =
    L"BMP(*.bmp)|*.bmp|GIF(*.gif)|*.gif|JPG(*.jpg)|*.jpg|PNG(*.png)|*.png||";

} // namespace panel
