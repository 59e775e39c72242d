#pragma once
// Writes the held picture to an image file in the format its extension selects.

#include <windows.h>

#include <string>

namespace panel {

enum class SaveOutcome {
    Saved,
    NoEncoder, // no encoder lists the name's extension; nothing written
    Failed,    // GDI+ unavailable, or the file could not be written; an existing file is left intact
};

// What becomes of a file that already has the target's name: Save replaces it (the user said so), a quick
// shot never does and fails instead.
enum class Existing { Replace, Keep };

// Written beside the target first, hidden, as "~name.png.tmp" for "name.png", and then moved over it, so a
// failed write leaves no half-written file and an existing file stays whole until the new one is complete.
// Paths of any length are written (the extended-length form where the plain calls stop). The picture is
// lent to the encoder, never copied or deleted.
SaveOutcome SavePictureFile(HBITMAP picture, const std::wstring& path, Existing existing = Existing::Replace);

} // namespace panel
