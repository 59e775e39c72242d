#include "settings/settings_rules.h"

#include "frame/placement_rules.h"
#include "quick/name_pattern.h"

namespace settings {

namespace {

std::optional<std::uint32_t> StoredDword(const StoredValue& value) {
    if (!value.present || value.type != kRegDword || value.bytes.size() != 4)
        return std::nullopt;
    return static_cast<std::uint32_t>(value.bytes[0]) | static_cast<std::uint32_t>(value.bytes[1]) << 8 |
           static_cast<std::uint32_t>(value.bytes[2]) << 16 |
           static_cast<std::uint32_t>(value.bytes[3]) << 24;
}

// UTF-16 text of a REG_SZ, without the zeros that end it; none for another type, an odd size or a zero
// inside the text.
std::optional<std::wstring> StoredText(const StoredValue& value) {
    if (!value.present || value.type != kRegSz || value.bytes.size() % 2 != 0)
        return std::nullopt;
    std::wstring text;
    for (std::size_t i = 0; i + 1 < value.bytes.size(); i += 2)
        text += static_cast<wchar_t>(value.bytes[i] | value.bytes[i + 1] << 8);
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    if (text.find(L'\0') != std::wstring::npos)
        return std::nullopt;
    return text;
}

std::optional<int> DwordInRange(const StoredValue& value, int least, int most) {
    const std::optional<std::uint32_t> v = StoredDword(value);
    if (!v || *v < static_cast<std::uint32_t>(least) || *v > static_cast<std::uint32_t>(most))
        return std::nullopt;
    return static_cast<int>(*v);
}

bool IsSeparator(wchar_t c) noexcept {
    return c == L'\\' || c == L'/';
}

bool IsLetter(wchar_t c) noexcept {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

std::wstring Trimmed(std::wstring_view text) {
    const std::size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(L" \t");
    return std::wstring(text.substr(first, last - first + 1));
}

// A folder as stored: blanks around it and separators that end it dropped, a drive's root kept whole.
std::wstring TidyFolder(std::wstring_view typed) {
    std::wstring folder = Trimmed(typed);
    while (folder.size() > 3 && IsSeparator(folder.back()))
        folder.pop_back();
    return folder;
}

std::wstring KeyName(unsigned int vk) {
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z'))
        return std::wstring(1, static_cast<wchar_t>(vk));
    if (vk >= 0x70 && vk <= 0x87)
        return L"F" + std::to_wstring(vk - 0x70 + 1);
    if (vk >= 0x60 && vk <= 0x69)
        return L"Num " + std::to_wstring(vk - 0x60);
    switch (vk) {
    case 0x08: return L"Backspace";
    case 0x09: return L"Tab";
    case 0x0D: return L"Enter";
    case 0x13: return L"Pause";
    case 0x14: return L"CapsLock";
    case 0x1B: return L"Esc";
    case 0x20: return L"Space";
    case 0x21: return L"PageUp";
    case 0x22: return L"PageDown";
    case 0x23: return L"End";
    case 0x24: return L"Home";
    case 0x25: return L"←";
    case 0x26: return L"↑";
    case 0x27: return L"→";
    case 0x28: return L"↓";
    case 0x2C: return L"PrintScreen";
    case 0x2D: return L"Insert";
    case 0x2E: return L"Delete";
    case 0x6A: return L"Num *";
    case 0x6B: return L"Num +";
    case 0x6D: return L"Num -";
    case 0x6E: return L"Num .";
    case 0x6F: return L"Num /";
    case 0x90: return L"NumLock";
    case 0x91: return L"ScrollLock";
    }
    static const wchar_t hex[] = L"0123456789ABCDEF";
    return std::wstring(L"キー 0x") + hex[(vk >> 4) & 0xF] + hex[vk & 0xF];
}

} // namespace

bool IsUsableFolder(std::wstring_view folder) noexcept {
    // The extended-length forms: "\\?\C:\..." and "\\?\UNC\server\share\...".
    std::wstring_view rest = folder;
    bool share = false;
    if (rest.substr(0, 4) == L"\\\\?\\") {
        rest.remove_prefix(4);
        share = rest.size() > 4 && rest.substr(0, 4) == L"UNC\\" && !IsSeparator(rest[4]);
    } else {
        share = rest.size() >= 3 && IsSeparator(rest[0]) && IsSeparator(rest[1]) && !IsSeparator(rest[2]);
    }
    const bool drive = rest.size() >= 3 && IsLetter(rest[0]) && rest[1] == L':' && IsSeparator(rest[2]);
    if (!drive && !share)
        return false;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const wchar_t c = rest[i];
        if (c < 0x20 || std::wstring_view(L"<>\"|?*").find(c) != std::wstring_view::npos ||
            (c == L':' && !(drive && i == 1)))
            return false;
    }
    return true;
}

bool IsValidHotkeyWord(std::uint32_t word) noexcept {
    if (word == 0)
        return true;
    const unsigned int vk = word & 0xFF, modifiers = (word >> 8) & 0xFF;
    if (word > 0xFFFF || modifiers & ~(kHotkeyShift | kHotkeyControl | kHotkeyAlt | kHotkeyExt))
        return false;
    // No key at all, the modifiers themselves (Shift, Ctrl, Alt, both Windows keys), and 0xFF (no key).
    const bool modifierKey =
        (vk >= 0x10 && vk <= 0x12) || (vk >= 0xA0 && vk <= 0xA5) || vk == 0x5B || vk == 0x5C;
    return vk != 0 && vk != 0xFF && !modifierKey;
}

HotkeyKeys KeysOfHotkey(std::uint32_t word) noexcept {
    const unsigned int modifiers = (word >> 8) & 0xFF;
    HotkeyKeys keys;
    keys.virtualKey = word & 0xFF;
    if (modifiers & kHotkeyShift)
        keys.modifiers |= kModShift;
    if (modifiers & kHotkeyControl)
        keys.modifiers |= kModControl;
    if (modifiers & kHotkeyAlt)
        keys.modifiers |= kModAlt;
    return keys;
}

std::wstring HotkeyText(std::uint32_t word) {
    if (word == 0)
        return L"なし";
    const unsigned int modifiers = (word >> 8) & 0xFF;
    std::wstring text;
    if (modifiers & kHotkeyControl)
        text += L"Ctrl+";
    if (modifiers & kHotkeyShift)
        text += L"Shift+";
    if (modifiers & kHotkeyAlt)
        text += L"Alt+";
    return text + KeyName(word & 0xFF);
}

Settings CheckStoredSettings(const StoredSettings& stored, const std::wstring& defaultFolder) {
    Settings s;
    const std::optional<std::wstring> folder = StoredText(stored.quickFolder);
    s.quickFolder = folder && IsUsableFolder(*folder) ? *folder : defaultFolder;
    const std::optional<std::wstring> name = StoredText(stored.quickName);
    if (name && quick::CheckPattern(*name) == quick::PatternProblem::None)
        s.quickName = *name;
    if (const std::optional<int> copy = DwordInRange(stored.quickCopy, 0, 1))
        s.quickCopy = *copy == 1;
    for (auto [value, hotkey] :
         {std::pair{&stored.hotkeyQuick, &s.hotkeyQuick}, std::pair{&stored.hotkeyRecord, &s.hotkeyRecord}}) {
        const std::optional<std::uint32_t> word = StoredDword(*value);
        if (word && IsValidHotkeyWord(*word))
            *hotkey = *word;
    }
    s.seriesSeconds = DwordInRange(stored.seriesSeconds, kSeriesSecondsLeast, kSeriesSecondsMost)
                          .value_or(kDefaultSeriesSeconds);
    s.seriesCount = DwordInRange(stored.seriesCount, 0, kSeriesCountMost).value_or(kDefaultSeriesCount);
    return s;
}

SettingsCheck CheckTypedSettings(const TypedSettings& typed) {
    SettingsCheck check;
    auto refuse = [&](SettingsField field, std::wstring text) {
        check.field = field;
        check.problem = std::move(text);
        return check;
    };
    Settings& s = check.accepted;
    s.quickFolder = TidyFolder(typed.quickFolder);
    if (!IsUsableFolder(s.quickFolder))
        return refuse(
            SettingsField::QuickFolder,
            L"保存先のフォルダーは C:\\Users\\...\\Pictures のような\r\n完全なパスで指定してください.");
    s.quickName = typed.quickName;
    const quick::PatternProblem pattern = quick::CheckPattern(s.quickName);
    if (pattern != quick::PatternProblem::None)
        return refuse(SettingsField::QuickName, quick::PatternProblemText(pattern));
    s.quickCopy = typed.quickCopy;
    s.hotkeyQuick = typed.hotkeyQuick;
    s.hotkeyRecord = typed.hotkeyRecord;
    for (auto [word, field] : {std::pair{s.hotkeyQuick, SettingsField::HotkeyQuick},
                               std::pair{s.hotkeyRecord, SettingsField::HotkeyRecord}})
        if (!IsValidHotkeyWord(word))
            return refuse(field, L"このキーはホットキーにできません.");
    if (s.hotkeyQuick != 0 && s.hotkeyQuick == s.hotkeyRecord)
        return refuse(SettingsField::HotkeyRecord, L"クイック保存と録画に同じホットキーは使えません.");
    const std::optional<long long> seconds = frame::ParseWholeNumber(typed.seriesSeconds);
    if (!seconds || *seconds < kSeriesSecondsLeast || *seconds > kSeriesSecondsMost)
        return refuse(SettingsField::SeriesSeconds, L"連続キャプチャの間隔は 1 から 3600 までの秒数で\r\n"
                                                    L"指定してください.");
    s.seriesSeconds = static_cast<int>(*seconds);
    const std::optional<long long> count = frame::ParseWholeNumber(typed.seriesCount);
    if (!count || *count < 0 || *count > kSeriesCountMost)
        return refuse(SettingsField::SeriesCount, L"連続キャプチャの枚数は 0 (止めるまで) か\r\n"
                                                  L"1 から 100000 までで指定してください.");
    s.seriesCount = static_cast<int>(*count);
    return check;
}

} // namespace settings
