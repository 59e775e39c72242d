#include "tests/e2e/stored_settings.h"

#include "tests/e2e/files.h"
#include "tests/e2e/report.h"
#include "tests/e2e/wait.h"
#include "tests/support/paths.h"
#include "tests/support/text.h"

namespace e2e {

using support::narrow;

namespace {
constexpr wchar_t kKey[] = L"Software\\Vantrel";
} // namespace

SettingsKey::SettingsKey() {
    clearRememberedFrame();
}

SettingsKey::~SettingsKey() {
    try {
        clearRememberedFrame();
    } catch (const std::exception& e) {
        noteCleanupFailure(e.what());
    }
}

void SettingsKey::write(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    const LSTATUS status = RegSetKeyValueW(HKEY_CURRENT_USER, kKey, name, type, data, size);
    check(status == ERROR_SUCCESS, "could not write " + narrow(name) + ", error " + std::to_string(status));
}

void SettingsKey::writeDword(const wchar_t* name, DWORD value) {
    write(name, REG_DWORD, &value, sizeof value);
}

void SettingsKey::writeText(const wchar_t* name, const std::wstring& text) {
    write(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

std::optional<DWORD> SettingsKey::readDword(const wchar_t* name) {
    DWORD data = 0, size = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_DWORD, nullptr, &data, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return data;
}

std::optional<std::wstring> SettingsKey::readText(const wchar_t* name) {
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring text(size / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_SZ, nullptr, text.data(), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    text.resize(wcslen(text.c_str()));
    return text;
}

void writeQuickSettings(const std::wstring& folder, const std::wstring& pattern) {
    SettingsKey::writeText(L"QuickFolder", folder);
    SettingsKey::writeText(L"QuickName", pattern);
}

std::wstring waitForFile(const std::wstring& folder, const std::wstring& name, const std::string& when,
                         DWORD ms) {
    const std::wstring path = support::joinPath(folder, name);
    check(waitFor([&] { return support::fileExists(path); }, ms), when + ": no file " + narrow(name) +
                                                                      " appeared; the folder holds " +
                                                                      narrow(listText(filesIn(folder))));
    return path;
}

} // namespace e2e
