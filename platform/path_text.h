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

// A full path in the form the file calls take at any length. The plain calls stop at MAX_PATH (260
// characters with the ending zero) unless the system was told otherwise, so a path of 260 characters or
// more gets the extended-length prefix ("\\?\C:\...", "\\?\UNC\server\share\...") with its slashes
// turned into backslashes (the prefix makes the calls take the path as it is). Shorter paths, paths that
// already have a prefix and relative paths come back unchanged.
std::wstring PathForFileCalls(std::wstring_view fullPath);

} // namespace platform
