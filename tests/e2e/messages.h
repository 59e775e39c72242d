// The texts of vantrel's message boxes, as the cases expect to read them (typed here, not taken from the
// program, so that a changed text is caught).
#pragma once

namespace e2e {

inline constexpr wchar_t kAlreadyCaptured[] =
    L"すでにキャプチャー中です。\r\n再度キャプチャーするにはClearしてください.";
inline constexpr wchar_t kNothingToCopy[] = L"現在キャプチャイメージを保持していません";
inline constexpr wchar_t kNothingToSave[] = L"現在キャプチャー中の画像はありません.";
inline constexpr wchar_t kClipboardBusy[] =
    L"クリップボードを開けませんでした。\r\n他のアプリケーションが使用中です.";
inline constexpr wchar_t kClipboardRefused[] = L"クリップボードに画像をコピーできませんでした.";
inline constexpr wchar_t kCaptureFailed[] =
    L"画面をキャプチャーできませんでした。\r\nキャプチャーする範囲を確かめてください.";
inline constexpr wchar_t kNoEncoder[] =
    L"この拡張子では保存できません。\r\n拡張子を .bmp .gif .jpg .png のいずれかにしてください.";
inline constexpr wchar_t kSaveFailed[] =
    L"画像を保存できませんでした。\r\n保存先のフォルダーと書き込み権限を確かめてください.";
inline constexpr wchar_t kSaveReadOnly[] =
    L"読み取り専用のファイルには上書きできません。\r\n別の名前を指定してください.";

inline constexpr wchar_t kRecordHotkeyRefused[] =
    L"次のホットキーは他のプログラムが使っているため使えません:\r\n  録画: Ctrl+Shift+F10\r\n\r\n"
    L"ウィンドウ メニューの [設定] で別のキーを選べます.";
inline constexpr wchar_t kNoWindowBelow[] =
    L"枠の中央の下にウィンドウがありません。\r\n合わせたいウィンドウの上に枠の中央を置いてください.";
inline constexpr wchar_t kQuickSaved[] = L"保存済";

} // namespace e2e
