#pragma once
// Which image encoder writes a file: the first whose extension list names the file's extension.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace panel {

// The extension of a path: from the last dot of its last component to the end, dot included;
// empty when the last component has no dot.
std::wstring_view PathExtension(std::wstring_view path) noexcept;

// True when two extensions are equal, ASCII letters A to Z compared without case, all else exactly.
bool SameExtension(std::wstring_view a, std::wstring_view b) noexcept;

// extensionLists holds each encoder's list ("*.BMP;*.DIB;*.RLE"), in the encoders' order. Gives the index
// of the first encoder with an item whose extension matches the path's; nothing when none does.
std::optional<std::size_t> ChooseEncoder(const std::vector<std::wstring>& extensionLists,
                                         std::wstring_view path);

} // namespace panel
