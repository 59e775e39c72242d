#pragma once
// The file a save writes before it takes its target's name, and the step that puts it there.

#include "platform/unique_handle.h"

#include <string>

namespace panel {

// What becomes of a file that already has the target's name: Save replaces it (the user said so), a quick
// shot never does and fails instead.
enum class Existing { Replace, Keep };

enum class PlacingResult {
    Placed,   // the target is the written file now
    ReadOnly, // the target is read-only; it is as it was
    Failed,   // the target is as it was (or, where the system lost it midway, the written file took its name)
};

// Made beside the target under a temporary name of the program's own (TemporaryPathFor), hidden while it
// is written, and removed unless it took the target's name. Paths are given in the form the file calls take
// (platform::PathForFileCalls).
class TemporaryFile {
public:
    explicit TemporaryFile(std::wstring target);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Opens a new hidden file for writing under the first of the target's temporary names that is free or
    // holds a leftover of a save that was cut off, which goes first; empty when none can be had.
    platform::UniqueStream Create();
    // Shows the written file and puts it in the target's place: ReplaceFileW over an existing target, which
    // keeps the target's permissions and other attributes, else a move; a file held open for a moment by
    // another program is waited for. With Existing::Keep only a move that replaces nothing is made.
    PlacingResult PutInPlace(Existing existing);

private:
    std::wstring m_target;
    std::wstring m_path;    // the temporary name taken
    bool m_created = false; // this save made the file, so it removes it unless it took the target's name
};

} // namespace panel
