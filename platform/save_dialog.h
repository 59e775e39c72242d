#pragma once
// The system's save dialog: the new-style one on systems of major version 6 or later (when it can be
// made), the classic one otherwise.

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

struct SaveDialogSettings {
    std::wstring defaultExtension; // "bmp", no dot
    std::wstring initialName;      // "無題"
    std::vector<std::pair<std::wstring, std::wstring>>
        types; // display text and pattern; the first is selected
};

// Runs the dialog modally with owner and the program's other windows disabled; the chosen file's full
// path, or nothing when cancelled.
// Asks before an existing file is chosen.
std::optional<std::wstring> AskSavePath(HWND owner, const SaveDialogSettings& settings);

} // namespace platform
