#pragma once
// What a picture is saved as: the file types the save dialog offers, and the image encoder that writes a
// file (the first whose extension list names the file's extension).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace panel {

// File types of the save dialog, display text and pattern, from a filter string of both, each item
// ended by "|" and the whole by an empty item: "BMP(*.bmp)|*.bmp|PNG(*.png)|*.png||".
std::vector<std::pair<std::wstring, std::wstring>> ParseFileFilter(std::wstring_view filter);

// The extension of a path: from the last dot of its last component to the end, dot included;
// empty when the last component has no dot.
std::wstring_view PathExtension(std::wstring_view path) noexcept;

// True when two extensions are equal, ASCII letters A to Z compared without case, all else exactly.
bool SameExtension(std::wstring_view a, std::wstring_view b) noexcept;

// The formats the program writes with encoders of its own, without GDI+.
enum class OwnEncoder { None, Png, Gif };

// The own encoder that writes a file of this path: Png for ".png" and Gif for ".gif" (compared as
// SameExtension does); None for every other extension, whose encoder is GDI+'s (ChooseEncoder).
OwnEncoder OwnEncoderFor(std::wstring_view path) noexcept;

// extensionLists holds each encoder's list ("*.BMP;*.DIB;*.RLE"), in the encoders' order. Gives the index
// of the first encoder with an item whose extension matches the path's; nothing when none does.
std::optional<std::size_t> ChooseEncoder(const std::vector<std::wstring>& extensionLists,
                                         std::wstring_view path);

} // namespace panel
