#include "platform/path_text.h"

namespace platform {

std::wstring_view CommandLineArguments(std::wstring_view commandLine) noexcept {
    std::size_t i = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        const std::size_t close = commandLine.find(L'"', 1);
        i = close == std::wstring_view::npos ? commandLine.size() : close + 1;
    }
    while (i < commandLine.size() && commandLine[i] != L' ' && commandLine[i] != L'\t')
        ++i;
    while (i < commandLine.size() && (commandLine[i] == L' ' || commandLine[i] == L'\t'))
        ++i;
    return commandLine.substr(i);
}

std::wstring FileStem(std::wstring_view path) {
    const std::size_t slash = path.find_last_of(L"\\/:");
    std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind(L'.');
    if (dot != std::wstring_view::npos && dot != 0)
        name = name.substr(0, dot);
    return std::wstring(name);
}

namespace {
// The plain file calls take at most this many characters, the ending zero included.
constexpr std::size_t kPlainPathLimit = 260;

bool IsSeparator(wchar_t c) noexcept {
    return c == L'\\' || c == L'/';
}
} // namespace

std::wstring PathForFileCalls(std::wstring_view fullPath) {
    const std::wstring_view p = fullPath;
    const bool drive = p.size() >= 3 && p[1] == L':' && IsSeparator(p[2]);
    const bool prefixed = p.size() >= 4 && IsSeparator(p[0]) && IsSeparator(p[1]) &&
                          (p[2] == L'?' || p[2] == L'.') && IsSeparator(p[3]);
    const bool unc = p.size() >= 2 && IsSeparator(p[0]) && IsSeparator(p[1]) && !prefixed;
    if (p.size() < kPlainPathLimit || !(drive || unc))
        return std::wstring(p);
    std::wstring extended =
        drive ? L"\\\\?\\" + std::wstring(p) : L"\\\\?\\UNC\\" + std::wstring(p.substr(2));
    for (wchar_t& c : extended)
        if (c == L'/')
            c = L'\\';
    return extended;
}

} // namespace platform
