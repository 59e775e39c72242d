#pragma once
// Writes the held picture to an image file in the format its extension selects.

#include "panel/temporary_file.h"

#include <windows.h>

#include <string>

namespace panel {

enum class SaveOutcome {
    Saved,
    NoEncoder, // no encoder lists the name's extension; nothing written
    Failed,    // GDI+ unavailable, or the file could not be written; an existing file is left intact
    ReadOnly,  // the target is read-only; it is left as it is and nothing is written
};

// Written beside the target first, hidden, under a temporary name of the program's own (TemporaryPathFor),
// and then put in its place (panel/temporary_file), so a failed write leaves no half-written file and an
// existing file stays whole until the new one is complete. Paths of any length are written (the
// extended-length form where the plain calls stop). The picture is lent to the encoder, never copied or
// deleted. With Existing::Keep (a quick shot) a file of the target's name is never replaced: the save fails.
SaveOutcome SavePictureFile(HBITMAP picture, const std::wstring& path, Existing existing = Existing::Replace);

} // namespace panel
