#pragma once
// Small readings of a command line and a file path, kept free of Win32.

#include <string>
#include <string_view>

namespace platform {

// What follows the program name on a command line (the name quoted or not), without the blanks before it.
std::wstring_view CommandLineArguments(std::wstring_view commandLine) noexcept;

// The file name of a path without its folder and without its last extension: "C:\a\vantrel.exe" gives
// "vantrel".
std::wstring FileStem(std::wstring_view path);

} // namespace platform
