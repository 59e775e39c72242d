#pragma once
// The system's folder picker: the new-style dialog (a file dialog that picks folders) on systems of major
// version 6 or later, the classic folder browser otherwise or where that cannot be made.

#include <windows.h>

#include <optional>
#include <string>

namespace platform {

// Asks for a folder, starting in `initial` where it exists; the chosen folder's path, none when cancelled.
std::optional<std::wstring> AskFolder(HWND owner, const std::wstring& initial);

} // namespace platform
