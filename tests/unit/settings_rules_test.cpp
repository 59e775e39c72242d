#include "settings/settings_rules.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace settings;

const std::wstring kDefaultFolder = L"C:\\Users\\u\\Pictures\\Vantrel";

StoredValue Dword(std::uint32_t v, unsigned long type = kRegDword) {
    return {true,
            type,
            {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
             static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)}};
}

StoredValue Text(std::wstring_view text, int endingZeros = 1, unsigned long type = kRegSz) {
    StoredValue v{true, type, {}};
    for (wchar_t c : text) {
        v.bytes.push_back(static_cast<std::uint8_t>(c));
        v.bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    v.bytes.insert(v.bytes.end(), static_cast<std::size_t>(endingZeros) * 2, 0);
    return v;
}

void ExpectDefaults(const Settings& s, const std::string& what) {
    EXPECT_EQ(s.quickFolder, kDefaultFolder) << what;
    EXPECT_EQ(s.quickName, L"Vantrel_{date}_{n}.png") << what;
    EXPECT_FALSE(s.quickCopy) << what;
    EXPECT_EQ(s.hotkeyQuick, 0x0378u) << what;  // Ctrl+Shift+F9
    EXPECT_EQ(s.hotkeyRecord, 0x0379u) << what; // Ctrl+Shift+F10
    EXPECT_EQ(s.seriesSeconds, 5) << what;
    EXPECT_EQ(s.seriesCount, 0) << what;
}

TEST(Settings, StoredValuesAreTakenEachOnItsOwn) {
    StoredSettings stored;
    ExpectDefaults(CheckStoredSettings(stored, kDefaultFolder), "nothing stored");

    stored.quickFolder = Text(L"D:\\shots", 0); // a string need not end in a zero
    stored.quickName = Text(L"s_{n:4}.jpg", 2);
    stored.quickCopy = Dword(1);
    stored.hotkeyQuick = Dword(0);                             // none
    stored.hotkeyRecord = Dword(HotkeyWord(0x2C, kHotkeyAlt)); // Alt+PrintScreen
    stored.seriesSeconds = Dword(3600);
    stored.seriesCount = Dword(100000);
    const Settings s = CheckStoredSettings(stored, kDefaultFolder);
    EXPECT_EQ(s.quickFolder, L"D:\\shots");
    EXPECT_EQ(s.quickName, L"s_{n:4}.jpg");
    EXPECT_TRUE(s.quickCopy);
    EXPECT_EQ(s.hotkeyQuick, 0u);
    EXPECT_EQ(s.hotkeyRecord, 0x042Cu);
    EXPECT_EQ(s.seriesSeconds, 3600);
    EXPECT_EQ(s.seriesCount, 100000);
}

TEST(Settings, DamagedValuesFallBackToTheirDefaults) {
    const struct {
        const char* what;
        std::function<void(StoredSettings&)> damage;
    } rows[] = {
        {"folder as a number", [](StoredSettings& s) { s.quickFolder = Dword(1); }},
        {"relative folder", [](StoredSettings& s) { s.quickFolder = Text(L"Pictures"); }},
        {"folder with a bad character", [](StoredSettings& s) { s.quickFolder = Text(L"C:\\a|b"); }},
        {"folder of odd size", [](StoredSettings& s) { s.quickFolder.bytes.push_back(0); }},
        {"folder with a zero inside",
         [](StoredSettings& s) { s.quickFolder = Text(std::wstring(L"C:\\a\0b", 6)); }},
        {"folder as REG_EXPAND_SZ", [](StoredSettings& s) { s.quickFolder = Text(L"C:\\a", 1, 2); }},
        {"pattern refused", [](StoredSettings& s) { s.quickName = Text(L"a<b.png"); }},
        {"pattern as a number", [](StoredSettings& s) { s.quickName = Dword(7); }},
        {"copy 2", [](StoredSettings& s) { s.quickCopy = Dword(2); }},
        {"copy as text", [](StoredSettings& s) { s.quickCopy = Text(L"1"); }},
        {"hotkey of a modifier alone", [](StoredSettings& s) { s.hotkeyQuick = Dword(0x0211); }},
        {"hotkey with the Windows key", [](StoredSettings& s) { s.hotkeyQuick = Dword(0x0278 | 0x1000); }},
        {"hotkey beyond a word", [](StoredSettings& s) { s.hotkeyRecord = Dword(0x10378); }},
        {"hotkey as REG_BINARY", [](StoredSettings& s) { s.hotkeyRecord = Dword(0x0478, 3); }},
        {"interval 0", [](StoredSettings& s) { s.seriesSeconds = Dword(0); }},
        {"interval 3601", [](StoredSettings& s) { s.seriesSeconds = Dword(3601); }},
        {"interval as a QWORD",
         [](StoredSettings& s) {
             s.seriesSeconds = Dword(10);
             s.seriesSeconds.bytes.resize(8);
         }},
        {"count 100001", [](StoredSettings& s) { s.seriesCount = Dword(100001); }},
        {"count negative", [](StoredSettings& s) { s.seriesCount = Dword(0xFFFFFFFF); }},
    };
    for (const auto& row : rows) {
        StoredSettings stored;
        stored.quickFolder = Text(kDefaultFolder);
        row.damage(stored);
        ExpectDefaults(CheckStoredSettings(stored, kDefaultFolder), row.what);
    }
}

TEST(Settings, FoldersMustBeFullPaths) {
    for (const wchar_t* good : {L"C:\\", L"c:\\Users\\a b\\画像", L"D:/shots", L"\\\\server\\share\\x",
                                L"\\\\?\\C:\\very\\long", L"\\\\?\\UNC\\server\\share"})
        EXPECT_TRUE(IsUsableFolder(good)) << testing::PrintToString(std::wstring(good));
    for (const wchar_t* bad : {L"", L"C:", L"C:shots", L"shots", L"\\shots", L"\\\\\\x", L"C:\\a:b",
                               L"C:\\a*", L"C:\\a\"b", L"C:\\a\nb", L"1:\\a"})
        EXPECT_FALSE(IsUsableFolder(bad)) << testing::PrintToString(std::wstring(bad));
}

TEST(Settings, HotkeyWordsBecomeRegistrationsAndText) {
    const HotkeyKeys keys = KeysOfHotkey(kDefaultHotkeyQuick);
    EXPECT_EQ(keys.modifiers, kModControl | kModShift);
    EXPECT_EQ(keys.virtualKey, 0x78u);
    // The extended-key bit is the control's own; it is no modifier.
    EXPECT_EQ(KeysOfHotkey(HotkeyWord(0x2E, kHotkeyAlt | kHotkeyExt)).modifiers, kModAlt);
    EXPECT_EQ(HotkeyText(kDefaultHotkeyQuick), L"Ctrl+Shift+F9");
    EXPECT_EQ(HotkeyText(HotkeyWord('Q', kHotkeyAlt | kHotkeyControl)), L"Ctrl+Alt+Q");
    EXPECT_EQ(HotkeyText(HotkeyWord(0x2C, 0)), L"PrintScreen");
    EXPECT_EQ(HotkeyText(HotkeyWord(0xBA, kHotkeyShift)), L"Shift+キー 0xBA");
    EXPECT_EQ(HotkeyText(0), L"なし");
}

TypedSettings Typed() {
    TypedSettings t;
    t.quickFolder = L"  D:\\shots\\ ";
    t.quickName = L"s_{n}.png";
    t.quickCopy = true;
    t.hotkeyQuick = kDefaultHotkeyQuick;
    t.hotkeyRecord = 0;
    t.seriesSeconds = L"１０"; // full-width, as an input method types
    t.seriesCount = L"0";
    return t;
}

TEST(Settings, DialogAcceptsTidiedFields) {
    const SettingsCheck check = CheckTypedSettings(Typed());
    ASSERT_TRUE(check.problem.empty());
    EXPECT_EQ(check.accepted.quickFolder, L"D:\\shots");
    EXPECT_EQ(check.accepted.quickName, L"s_{n}.png");
    EXPECT_TRUE(check.accepted.quickCopy);
    EXPECT_EQ(check.accepted.hotkeyQuick, kDefaultHotkeyQuick);
    EXPECT_EQ(check.accepted.hotkeyRecord, 0u);
    EXPECT_EQ(check.accepted.seriesSeconds, 10);
    EXPECT_EQ(check.accepted.seriesCount, 0);
}

TEST(Settings, DialogRefusesEachBadFieldAndSelectsIt) {
    const struct {
        const char* what;
        std::function<void(TypedSettings&)> change;
        SettingsField field;
    } rows[] = {
        {"relative folder", [](TypedSettings& t) { t.quickFolder = L"shots"; }, SettingsField::QuickFolder},
        {"empty folder", [](TypedSettings& t) { t.quickFolder = L"  "; }, SettingsField::QuickFolder},
        {"bad pattern", [](TypedSettings& t) { t.quickName = L"a<b.png"; }, SettingsField::QuickName},
        {"pattern without image extension", [](TypedSettings& t) { t.quickName = L"a_{n}"; },
         SettingsField::QuickName},
        {"modifier as the quick hotkey", [](TypedSettings& t) { t.hotkeyQuick = 0x0310; },
         SettingsField::HotkeyQuick},
        {"one key for both", [](TypedSettings& t) { t.hotkeyRecord = t.hotkeyQuick; },
         SettingsField::HotkeyRecord},
        {"interval 0", [](TypedSettings& t) { t.seriesSeconds = L"0"; }, SettingsField::SeriesSeconds},
        {"interval 3601", [](TypedSettings& t) { t.seriesSeconds = L"3601"; }, SettingsField::SeriesSeconds},
        {"interval not a number", [](TypedSettings& t) { t.seriesSeconds = L"5s"; },
         SettingsField::SeriesSeconds},
        {"count negative", [](TypedSettings& t) { t.seriesCount = L"-1"; }, SettingsField::SeriesCount},
        {"count 100001", [](TypedSettings& t) { t.seriesCount = L"100001"; }, SettingsField::SeriesCount},
        {"count empty", [](TypedSettings& t) { t.seriesCount = L""; }, SettingsField::SeriesCount},
    };
    for (const auto& row : rows) {
        TypedSettings typed = Typed();
        row.change(typed);
        const SettingsCheck check = CheckTypedSettings(typed);
        EXPECT_FALSE(check.problem.empty()) << row.what;
        EXPECT_EQ(check.field, row.field) << row.what;
    }
    // Both hotkeys may be none.
    TypedSettings none = Typed();
    none.hotkeyQuick = none.hotkeyRecord = 0;
    EXPECT_TRUE(CheckTypedSettings(none).problem.empty());
}

} // namespace
