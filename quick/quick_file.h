#pragma once
// Where a quick shot goes: the next free name of the pattern in the settings' folder (made, with its
// parents, when first needed), written by Save's own code, never over an existing file.

#include "panel/picture_file.h"
#include "quick/name_pattern.h"

#include <windows.h>

#include <string>
#include <vector>

namespace quick {

struct QuickFile {
    panel::SaveOutcome outcome = panel::SaveOutcome::Failed;
    std::wstring path; // the file written, when it was
};

// Writes the picture (lent, as to Save) to the next name of the pattern in the folder.
QuickFile WriteQuickShot(HBITMAP picture, const std::wstring& folder, const std::wstring& pattern);

// The name the next quick shot would get now; empty when the pattern is refused.
std::wstring NextQuickName(const std::wstring& folder, const std::wstring& pattern);

// The local time now, as names show it.
ShotTime LocalNow();

} // namespace quick
