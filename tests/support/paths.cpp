#include "tests/support/paths.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace support {

namespace {

// What a call that writes at most `size` characters into a buffer gives, however long: it answers the
// length it wrote, or, when that did not fit, the size it needs (0 for nothing).
template <class Call> std::wstring grown(Call call) {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        const DWORD len = call(buf.data(), static_cast<DWORD>(buf.size()));
        if (len < buf.size())
            return std::wstring(buf.data(), len);
        buf.resize(std::max<size_t>(len + 1, buf.size() * 2));
    }
}

} // namespace

std::wstring modulePath() {
    // GetModuleFileNameW fills a buffer that is too small and answers its size.
    return grown([](wchar_t* buf, DWORD size) { return GetModuleFileNameW(nullptr, buf, size); });
}

std::wstring moduleFolder() {
    return folderOf(modulePath());
}

std::wstring environmentVariable(const wchar_t* name) {
    return grown([name](wchar_t* buf, DWORD size) { return GetEnvironmentVariableW(name, buf, size); });
}

std::wstring tempFolder() {
    return grown([](wchar_t* buf, DWORD size) { return GetTempPathW(size, buf); });
}

std::wstring folderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring joinPath(const std::wstring& dir, const std::wstring& name) {
    if (!dir.empty() && (dir.back() == L'\\' || dir.back() == L'/'))
        return dir + name;
    return dir + L"\\" + name;
}

bool fileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring resolveFile(const std::wstring& path) {
    const bool absolute =
        (path.size() >= 2 && path[1] == L':') || (!path.empty() && (path[0] == L'\\' || path[0] == L'/'));
    const std::wstring joined = absolute ? path : joinPath(moduleFolder(), path);
    const std::wstring full =
        grown([&](wchar_t* buf, DWORD size) { return GetFullPathNameW(joined.c_str(), size, buf, nullptr); });
    if (full.empty())
        return {};
    const DWORD attributes = GetFileAttributesW(full.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return {};
    return full;
}

} // namespace support
