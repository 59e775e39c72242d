// The program's settings under HKCU\Software\Vantrel as the cases set and read them.
#pragma once

#include "tests/e2e/app.h"

#include <windows.h>

#include <optional>
#include <string>

namespace e2e {

// The key, deleted as the case starts and again as it ends, so that no other case meets its values. Values
// written here reach a vantrel started with Remembered::Kept.
class SettingsKey {
public:
    SettingsKey();
    ~SettingsKey();
    SettingsKey(const SettingsKey&) = delete;
    SettingsKey& operator=(const SettingsKey&) = delete;

    // A value of any type and bytes, as a damaged or hand-edited key may hold.
    static void write(const wchar_t* name, DWORD type, const void* data, DWORD size);
    static void writeDword(const wchar_t* name, DWORD value);
    static void writeText(const wchar_t* name, const std::wstring& text);
    static std::optional<DWORD> readDword(const wchar_t* name);
    static std::optional<std::wstring> readText(const wchar_t* name);
};

// The quick shots' folder and file-name pattern, written to the key.
void writeQuickSettings(const std::wstring& folder, const std::wstring& pattern);

// The hot-key control's word for the default quick-shot key, Ctrl+Shift+F9, and what xdotool types for it.
constexpr DWORD kQuickHotkeyWord = 0x0378;
constexpr const char* kQuickHotkeyKeys = "ctrl+shift+F9";

// The new file's path once a file of that name is complete in the folder (it appears under its name only
// when written whole), or fails the case after ms.
std::wstring waitForFile(const std::wstring& folder, const std::wstring& name, const std::string& when,
                         DWORD ms = kWaitMs);

} // namespace e2e
