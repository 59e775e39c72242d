#include "panel/save_paths.h"

namespace panel {

namespace {
constexpr std::size_t kMaxNameLength = 255;
constexpr std::wstring_view kTemporaryStart = L"~";
constexpr std::wstring_view kTemporaryEnd = L".tmp";

bool IsHighSurrogate(wchar_t c) noexcept {
    return c >= 0xD800 && c <= 0xDBFF;
}
} // namespace

std::wstring TemporaryPathFor(std::wstring_view target) {
    const std::size_t slash = target.find_last_of(L"\\/");
    const std::size_t nameStart = slash == std::wstring_view::npos ? 0 : slash + 1;
    std::wstring_view name = target.substr(nameStart);
    const std::size_t room = kMaxNameLength - kTemporaryStart.size() - kTemporaryEnd.size();
    if (name.size() > room) {
        std::size_t keep = room;
        if (IsHighSurrogate(name[keep - 1]))
            --keep;
        name = name.substr(0, keep);
    }
    std::wstring path(target.substr(0, nameStart));
    path += kTemporaryStart;
    path += name;
    path += kTemporaryEnd;
    return path;
}

} // namespace panel
