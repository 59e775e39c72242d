#pragma once
// Small readings of a command line and a file path, kept free of Win32.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// What follows the program name on a command line (the name quoted or not), without the blanks before it.
std::wstring_view CommandLineArguments(std::wstring_view commandLine) noexcept;

// The file name of a path without its folder and without its last extension: "C:\a\vantrel.exe" gives
// "vantrel".
std::wstring FileStem(std::wstring_view path);

// File types of a save dialog from a filter string of display texts and patterns, each item ended by
// "|" and the whole by an empty item: "BMP(*.bmp)|*.bmp|PNG(*.png)|*.png||".
std::vector<std::pair<std::wstring, std::wstring>> ParseFileFilter(std::wstring_view filter);

} // namespace platform
