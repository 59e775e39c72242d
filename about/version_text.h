#pragma once
// Turning the executable's ProductVersion into the About box's version line.

#include <cstddef>
#include <string>
#include <string_view>

namespace about {

// The text store holds 256 characters with the terminating zero: "Ver.:" and at most 250 of version.
inline constexpr std::size_t kVersionTextCapacity = 256;
inline constexpr std::size_t kMaxVersionChars = 250;

// String-table key of a Translation pair: language 0x0411 and code page 0x04B0 give "041104b0".
std::wstring TranslationKey(unsigned short language, unsigned short codePage);

// "\StringFileInfo\041104b0\ProductVersion" for that key.
std::wstring ProductVersionPath(const std::wstring& key);

// "Ver.:" and the value, up to its first zero, cut to kMaxVersionChars so it always fits the store.
std::wstring ComposeVersionText(std::wstring_view value);

// Reshapes "Ver.:1.0.1.105" into "Ver.:1-0-1-105": every comma and full stop becomes a hyphen while any
// ".:" survives; a per cent sign comes out as ".:".
std::wstring ReshapeVersionText(std::wstring text);

// The About box's line: "Vantrel " and the reshaped text.
std::wstring AboutVersionLine(const std::wstring& versionText);

} // namespace about
