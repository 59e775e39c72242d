#pragma once
// Helpers shared by the benchmark probes: text, paths beside the probe, and medians.

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace bench {

inline std::string Utf8(const std::wstring& text) {
    if (text.empty())
        return {};
    int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                     nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr,
                          nullptr);
    return out;
}

inline std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

inline bool IsAbsolute(const std::wstring& path) {
    if (path.size() >= 2 && path[1] == L':')
        return true;
    return !path.empty() && (path[0] == L'\\' || path[0] == L'/');
}

// The folder the probe itself lives in.
inline std::wstring ProbeFolder() {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        DWORD len = ::GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (len < buf.size())
            return FolderOf(std::wstring(buf.data(), len));
        buf.resize(buf.size() * 2);
    }
}

inline double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

} // namespace bench
