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

} // namespace platform
