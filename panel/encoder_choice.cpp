#include "panel/encoder_choice.h"

namespace panel {

namespace {

wchar_t AsciiLower(wchar_t c) noexcept {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

} // namespace

std::vector<std::pair<std::wstring, std::wstring>> ParseFileFilter(std::wstring_view filter) {
    std::vector<std::pair<std::wstring, std::wstring>> types;
    while (true) {
        const std::size_t textEnd = filter.find(L'|');
        if (textEnd == std::wstring_view::npos || textEnd == 0)
            break;
        const std::size_t patternEnd = filter.find(L'|', textEnd + 1);
        if (patternEnd == std::wstring_view::npos)
            break;
        types.emplace_back(filter.substr(0, textEnd), filter.substr(textEnd + 1, patternEnd - textEnd - 1));
        filter.remove_prefix(patternEnd + 1);
    }
    return types;
}

std::wstring_view PathExtension(std::wstring_view path) noexcept {
    const std::size_t componentStart = path.find_last_of(L"\\/:");
    const std::size_t dot = path.rfind(L'.');
    if (dot == std::wstring_view::npos || (componentStart != std::wstring_view::npos && dot < componentStart))
        return {};
    return path.substr(dot);
}

bool SameExtension(std::wstring_view a, std::wstring_view b) noexcept {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

OwnEncoder OwnEncoderFor(std::wstring_view path) noexcept {
    const std::wstring_view extension = PathExtension(path);
    return SameExtension(extension, L".png")   ? OwnEncoder::Png
           : SameExtension(extension, L".gif") ? OwnEncoder::Gif
                                               : OwnEncoder::None;
}

std::optional<std::size_t> ChooseEncoder(const std::vector<std::wstring>& extensionLists,
                                         std::wstring_view path) {
    const std::wstring_view wanted = PathExtension(path);
    if (wanted.empty())
        return std::nullopt;
    for (std::size_t encoder = 0; encoder < extensionLists.size(); ++encoder) {
        std::wstring_view list = extensionLists[encoder];
        while (!list.empty()) {
            const std::size_t end = list.find(L';');
            const std::wstring_view item = list.substr(0, end);
            if (!item.empty() && SameExtension(PathExtension(item), wanted))
                return encoder;
            if (end == std::wstring_view::npos)
                break;
            list.remove_prefix(end + 1);
        }
    }
    return std::nullopt;
}

} // namespace panel
