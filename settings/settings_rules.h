#pragma once
// The user's settings, kept under HKCU\Software\Vantrel beside the remembered frame: what each value may
// hold, what a missing or damaged one falls back to, what the settings dialog refuses, and the hotkeys as
// the common hot-key control's words (virtual key in the low byte, HOTKEYF_SHIFT, _CONTROL and _ALT above
// it).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace settings {

// Win32 values this file works with, repeated so that it builds without Win32; the Win32 side checks them
// against the real ones.
inline constexpr unsigned long kRegSz = 1;           // REG_SZ
inline constexpr unsigned long kRegDword = 4;        // REG_DWORD
inline constexpr unsigned int kHotkeyShift = 0x01;   // HOTKEYF_SHIFT
inline constexpr unsigned int kHotkeyControl = 0x02; // HOTKEYF_CONTROL
inline constexpr unsigned int kHotkeyAlt = 0x04;     // HOTKEYF_ALT
inline constexpr unsigned int kHotkeyExt = 0x08;     // HOTKEYF_EXT: the key is an extended one
inline constexpr unsigned int kModAlt = 0x0001;      // MOD_ALT
inline constexpr unsigned int kModControl = 0x0002;  // MOD_CONTROL
inline constexpr unsigned int kModShift = 0x0004;    // MOD_SHIFT

// A hot-key control word for a key with modifiers (HOTKEYF_ bits).
constexpr std::uint32_t HotkeyWord(unsigned int virtualKey, unsigned int modifiers) noexcept {
    return (virtualKey & 0xFF) | ((modifiers & 0xFF) << 8);
}

inline constexpr std::uint32_t kDefaultHotkeyQuick = HotkeyWord(0x78, kHotkeyControl | kHotkeyShift);  // F9
inline constexpr std::uint32_t kDefaultHotkeyRecord = HotkeyWord(0x79, kHotkeyControl | kHotkeyShift); // F10
inline constexpr wchar_t kDefaultQuickName[] = L"Vantrel_{date}_{n}.png";
inline constexpr int kSeriesSecondsLeast = 1, kSeriesSecondsMost = 3600, kDefaultSeriesSeconds = 5;
inline constexpr int kSeriesCountMost = 100000, kDefaultSeriesCount = 0; // 0: until stopped

struct Settings {
    std::wstring quickFolder;                          // where quick shots go, made when first needed
    std::wstring quickName = kDefaultQuickName;        // the file-name pattern (quick/name_pattern)
    bool quickCopy = false;                            // each quick shot also goes on the clipboard
    std::uint32_t hotkeyQuick = kDefaultHotkeyQuick;   // 0: none
    std::uint32_t hotkeyRecord = kDefaultHotkeyRecord; // 0: none
    int seriesSeconds = kDefaultSeriesSeconds;         // between the shots of a series
    int seriesCount = kDefaultSeriesCount;             // shots in a series; 0 until stopped
};

// Told when the settings dialog's OK could not store the settings: they hold until the program ends.
inline constexpr wchar_t kSettingsNotStoredText[] = L"設定を保存できませんでした。\r\n"
                                                    L"設定はこのプログラムを終了するまで有効です.";

// The value names under the key.
inline constexpr wchar_t kQuickFolderName[] = L"QuickFolder";
inline constexpr wchar_t kQuickNameName[] = L"QuickName";
inline constexpr wchar_t kQuickCopyName[] = L"QuickCopy";
inline constexpr wchar_t kHotkeyQuickName[] = L"HotkeyQuick";
inline constexpr wchar_t kHotkeyRecordName[] = L"HotkeyRecord";
inline constexpr wchar_t kSeriesSecondsName[] = L"SeriesSeconds";
inline constexpr wchar_t kSeriesCountName[] = L"SeriesCount";

// One value as the registry gave it: its type and its bytes.
struct StoredValue {
    bool present = false;
    unsigned long type = 0;
    std::vector<std::uint8_t> bytes;
};

struct StoredSettings {
    StoredValue quickFolder, quickName, quickCopy, hotkeyQuick, hotkeyRecord, seriesSeconds, seriesCount;
};

// The settings the stored values give, each value on its own: a missing one, one of the wrong type or size,
// or one out of its range takes its default (the folder: defaultFolder).
Settings CheckStoredSettings(const StoredSettings& stored, const std::wstring& defaultFolder);

// A folder a quick shot may go to: a full path (C:\..., \\server\share\...) without the characters no
// path may hold.
bool IsUsableFolder(std::wstring_view folder) noexcept;

// A hot-key word that may be stored: 0 (none), or a key that is not a modifier itself with no other bits
// than HOTKEYF_SHIFT, _CONTROL, _ALT and _EXT.
bool IsValidHotkeyWord(std::uint32_t word) noexcept;

// What RegisterHotKey takes for a word: its MOD_ bits and virtual key.
struct HotkeyKeys {
    unsigned int modifiers = 0;
    unsigned int virtualKey = 0;
};
HotkeyKeys KeysOfHotkey(std::uint32_t word) noexcept;

// A word as the user reads it: "Ctrl+Shift+F9"; "なし" for none.
std::wstring HotkeyText(std::uint32_t word);

// ---------------------------------------------------------------- the settings dialog

// The dialog's fields as typed.
struct TypedSettings {
    std::wstring quickFolder, quickName;
    bool quickCopy = false;
    std::uint32_t hotkeyQuick = 0, hotkeyRecord = 0;
    std::wstring seriesSeconds, seriesCount;
};

enum class SettingsField { QuickFolder, QuickName, HotkeyQuick, HotkeyRecord, SeriesSeconds, SeriesCount };

struct SettingsCheck {
    std::wstring problem;                             // the message; empty when the fields are accepted
    SettingsField field = SettingsField::QuickFolder; // the field to select when there is a problem
    Settings accepted;                                // the settings to store when there is none
};

// Checks the fields in the dialog's order: the folder, the pattern, the two hotkeys (one key for both is
// refused), the series' interval and count.
SettingsCheck CheckTypedSettings(const TypedSettings& typed);

} // namespace settings
