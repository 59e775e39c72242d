#pragma once
// Where a save writes before the file takes its name.

#include <string>
#include <string_view>

namespace panel {

// The temporary file beside a target: "~name.png.tmp" beside "name.png", so that a leftover of a save
// that was cut off says what it belonged to, and the next save to the same target finds it by name. A
// name too long for that within the 255 characters a file name may have is shortened at its end (never
// between the halves of a surrogate pair), so the temporary name can always be made.
std::wstring TemporaryPathFor(std::wstring_view target);

} // namespace panel
