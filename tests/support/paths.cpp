#include "tests/support/paths.h"

#include <windows.h>

#include <iterator>
#include <vector>

namespace support {

std::wstring moduleFolder() {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        const DWORD len = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (len < buf.size())
            return folderOf(std::wstring(buf.data(), len));
        buf.resize(buf.size() * 2);
    }
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
    wchar_t full[MAX_PATH * 4];
    const DWORD len = GetFullPathNameW(joined.c_str(), static_cast<DWORD>(std::size(full)), full, nullptr);
    if (len == 0 || len >= std::size(full))
        return {};
    const DWORD attributes = GetFileAttributesW(full);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return {};
    return full;
}

} // namespace support
