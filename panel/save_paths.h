#pragma once
// Where a save writes before the file takes its name, and what it does with what it finds there and with a
// step that fails.

#include <string>
#include <string_view>

namespace panel {

// The temporary file beside a target: "~name.png.vantrel-save.tmp" beside "name.png", a name no user picks by
// chance, which says what it belonged to, so that the next save to the same target finds a leftover of a save
// that was cut off by its name. Where that name is taken by something that is not such a leftover, the save
// tries the next ones: "~name.png.vantrel-save-2.tmp", -3, ... (attempt 0, 1, 2, ...). A name too long for
// the additions within the 255 characters a file name may have is shortened at its end (never between the
// halves of a surrogate pair) and marked with a number made from the whole name, so that two long names
// with the same beginning still have temporary names of their own.
std::wstring TemporaryPathFor(std::wstring_view target, int attempt = 0);

// How many temporary names a save tries before it gives up.
inline constexpr int kTemporaryAttempts = 20;

// What lies under a temporary name the save is about to use, and what the save does with it.
struct FoundEntry {
    bool exists = false;
    bool directory = false;
    bool hidden = false;  // the hidden attribute, which the save's own temporary file has
    bool reparse = false; // a link or another reparse point
};
enum class TemporaryNameUse {
    Free,           // nothing there: the save takes the name
    RemoveLeftover, // a hidden file of this target's temporary name: left by a save that was cut off
    TryAnother,     // anything else (a folder, a file of the user's, a link): left alone
};
TemporaryNameUse UseOfTemporaryName(const FoundEntry& found) noexcept;

// Win32 error codes this file works with, repeated so that it builds without Win32 (checked against the real
// ones where the file is written).
inline constexpr unsigned long kErrorAccessDenied = 5;
inline constexpr unsigned long kErrorSharingViolation = 32;
inline constexpr unsigned long kErrorLockViolation = 33;
inline constexpr unsigned long kErrorFileExists = 80;
inline constexpr unsigned long kErrorAlreadyExists = 183;
inline constexpr unsigned long kErrorUnableToRemoveReplaced = 1175;
inline constexpr unsigned long kErrorUnableToMoveReplacement = 1176;
inline constexpr unsigned long kErrorUnableToMoveReplacement2 = 1177;

// A file held open for a moment by another program (a virus scanner, a sync client) is waited for this
// long, trying again this often, before the save is reported as failed.
inline constexpr unsigned kBusyRetryMs = 1000;
inline constexpr unsigned kBusyRetryStepMs = 50;

// What follows a failed attempt to put the written file in its target's place (replacing the target, or
// moving the file to the target's name where there is no target).
enum class PlacingNext {
    Retry,       // a file was busy, or the target appeared meanwhile: try again after a step
    MoveInstead, // the target is gone and the written file is not in its place: move it there
    ReadOnly,    // the target is read-only: reported as such, left as it is
    Fail,        // anything else, or still busy after kBusyRetryMs
};
PlacingNext AfterPlacingFailed(unsigned long error, bool targetExists, bool targetReadOnly,
                               unsigned elapsedMs) noexcept;

} // namespace panel
