#include "tests/e2e/program_copy.h"

#include "tests/e2e/dwm_standin/standin_protocol.h"
#include "tests/e2e/report.h"
#include "tests/support/paths.h"
#include "tests/support/text.h"

#include <windows.h>

namespace e2e {

using support::joinPath;
using support::narrow;

namespace {

void setString(const std::wstring& path, const wchar_t* name, const wchar_t* value, LSTATUS& status) {
    HKEY key = nullptr;
    status = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                             nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
}

std::wstring systemFolder() {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    check(length > 0 && length < MAX_PATH, "cannot read the system folder");
    return std::wstring(folder, length);
}

} // namespace

WineProgramSettings::WineProgramSettings(const std::wstring& exeName)
    : key_(L"Software\\Wine\\AppDefaults\\" + exeName) {
    remove(false); // left over by a case that was killed
}

WineProgramSettings::~WineProgramSettings() {
    remove(true);
}

void WineProgramSettings::overrideDll(const wchar_t* library, const wchar_t* order) {
    set(L"DllOverrides", library, order);
}

void WineProgramSettings::setVersion(const wchar_t* version) {
    set(L"", L"Version", version);
}

void WineProgramSettings::set(const std::wstring& subKey, const wchar_t* name, const wchar_t* value) {
    const std::wstring path = subKey.empty() ? key_ : key_ + L"\\" + subKey;
    LSTATUS status = ERROR_SUCCESS;
    setString(path, name, value, status);
    if (status != ERROR_SUCCESS) {
        remove(true);
        fail("could not set HKCU\\" + narrow(path) + " " + narrow(name) + ", error " +
             std::to_string(status));
    }
}

void WineProgramSettings::remove(bool report) const {
    RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, key_.c_str());
    HKEY left = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_READ, &left) == ERROR_SUCCESS) {
        RegCloseKey(left);
        if (report)
            noteCleanupFailure("could not remove HKCU\\" + narrow(key_));
    }
}

void installDwmStandIn() {
    const std::wstring standIn = joinPath(support::moduleFolder(), L"dwm_standin\\dwmapi.dll");
    const std::wstring installed = joinPath(systemFolder(), L"dwmapi.dll");
    const std::string built = readFile(standIn);
    check(!built.empty(), "the stand-in " + narrow(standIn) + " cannot be read");
    if (readFile(installed) == built)
        return;
    // Every program that does not ask for the stand-in keeps Wine's own library, which Wine would otherwise
    // leave for a DLL of that name in the system folder that is not its own.
    LSTATUS status = ERROR_SUCCESS;
    setString(L"Software\\Wine\\DllOverrides", L"dwmapi", L"builtin", status);
    check(status == ERROR_SUCCESS,
          "could not choose Wine's dwmapi for every program, error " + std::to_string(status));
    check(CopyFileW(standIn.c_str(), installed.c_str(), FALSE),
          "could not put the stand-in in " + narrow(installed) + ", error " + std::to_string(GetLastError()));
}

GlassCopy::GlassCopy(const wchar_t* exeName, Library library, const wchar_t* version)
    : exe_(joinPath(dir_.path(), exeName)), settings_(exeName) {
    if (library == Library::StandIn)
        installDwmStandIn();
    settings_.overrideDll(L"dwmapi", library == Library::StandIn ? L"native" : L"");
    if (version)
        settings_.setVersion(version);
    check(CopyFileW(vantrelPath().c_str(), exe_.c_str(), FALSE),
          "could not copy vantrel.exe to " + narrow(exe_) + ", error " + std::to_string(GetLastError()));
}

support::LaunchOptions GlassCopy::launch() const {
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    support::LaunchOptions o;
    o.exe = exe_;
    o.environment = {{dwm_standin::kFolderVariable, dir_.path()}};
    return o;
}

void GlassCopy::setComposition(bool on) const {
    writeFile(joinPath(dir_.path(), dwm_standin::kCompositionFile), on ? "on" : "off");
}

std::vector<std::string> GlassCopy::calls() const {
    std::vector<std::string> lines;
    const std::string text = readFile(joinPath(dir_.path(), dwm_standin::kLogFile));
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

} // namespace e2e
