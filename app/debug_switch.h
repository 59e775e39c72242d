#pragma once
// The hidden command-line switch that opens the debug console.

#include <cstddef>

namespace app {

inline constexpr wchar_t kDebugSwitch[] = L"-D733";

// True only for an exact match: same characters, same case, same length.
bool IsDebugSwitch(const wchar_t* arg) noexcept;

// How many of the arguments match (the program name, element 0, counts too).
int CountDebugSwitches(const wchar_t* const* args, int count) noexcept;

} // namespace app
