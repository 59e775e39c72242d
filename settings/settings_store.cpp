#include "settings/settings_store.h"

#include "platform/late_bound.h"
#include "platform/unique_handle.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

static_assert(settings::kRegSz == REG_SZ && settings::kRegDword == REG_DWORD);

namespace settings {

namespace {

constexpr wchar_t kKey[] = L"Software\\Vantrel";

StoredValue ReadValue(HKEY key, const wchar_t* name) {
    StoredValue value;
    DWORD type = 0, size = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return value;
    // The value may change between the two reads: read again until the size holds.
    for (int attempt = 0; attempt < 4; ++attempt) {
        value.bytes.resize(size);
        DWORD got = size;
        const LONG result = ::RegQueryValueExW(key, name, nullptr, &type, value.bytes.data(), &got);
        if (result == ERROR_SUCCESS) {
            value.present = true;
            value.type = type;
            value.bytes.resize(got);
            return value;
        }
        if (result != ERROR_MORE_DATA)
            break;
        size = got;
    }
    value.bytes.clear();
    return value;
}

bool WriteDword(HKEY key, const wchar_t* name, std::uint32_t value) {
    const DWORD data = value;
    return ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data)) ==
           ERROR_SUCCESS;
}

bool WriteText(HKEY key, const wchar_t* name, const std::wstring& value) {
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) ==
           ERROR_SUCCESS;
}

} // namespace

std::wstring DefaultQuickFolder() {
    PWSTR pictures = nullptr;
    if (FAILED(::SHGetKnownFolderPath(FOLDERID_Pictures, KF_FLAG_DEFAULT, nullptr, &pictures)) || !pictures)
        return {};
    std::wstring folder = pictures;
    if (const auto taskMemFree = platform::BoundOle32().CoTaskMemFree)
        taskMemFree(pictures);
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    return folder + L"Vantrel";
}

Settings ReadSettings() {
    StoredSettings stored;
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, &opened) == ERROR_SUCCESS) {
        const platform::UniqueRegKey key(opened);
        stored.quickFolder = ReadValue(key.get(), kQuickFolderName);
        stored.quickName = ReadValue(key.get(), kQuickNameName);
        stored.quickCopy = ReadValue(key.get(), kQuickCopyName);
        stored.hotkeyQuick = ReadValue(key.get(), kHotkeyQuickName);
        stored.hotkeyRecord = ReadValue(key.get(), kHotkeyRecordName);
        stored.seriesSeconds = ReadValue(key.get(), kSeriesSecondsName);
        stored.seriesCount = ReadValue(key.get(), kSeriesCountName);
    }
    // The default is asked of the shell only when it is needed.
    Settings s = CheckStoredSettings(stored, L"");
    if (s.quickFolder.empty())
        s.quickFolder = DefaultQuickFolder();
    return s;
}

bool WriteSettings(const Settings& s) {
    HKEY created = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &created,
                          nullptr) != ERROR_SUCCESS)
        return false;
    const platform::UniqueRegKey key(created);
    bool written = WriteText(key.get(), kQuickFolderName, s.quickFolder);
    written = WriteText(key.get(), kQuickNameName, s.quickName) && written;
    written = WriteDword(key.get(), kQuickCopyName, s.quickCopy ? 1 : 0) && written;
    written = WriteDword(key.get(), kHotkeyQuickName, s.hotkeyQuick) && written;
    written = WriteDword(key.get(), kHotkeyRecordName, s.hotkeyRecord) && written;
    written =
        WriteDword(key.get(), kSeriesSecondsName, static_cast<std::uint32_t>(s.seriesSeconds)) && written;
    written = WriteDword(key.get(), kSeriesCountName, static_cast<std::uint32_t>(s.seriesCount)) && written;
    return written;
}

} // namespace settings
