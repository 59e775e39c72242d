#pragma once
// The file names of quick shots: a pattern such as "Vantrel_{date}_{n}.png" with the shot's local date
// ({date}, yyyyMMdd) and time ({time}, HHmmss) and a counter ({n}, at least 3 digits; {n:K}, at least K,
// K from 1 to 9), what a pattern may not be, and the next name in a folder: numbering goes on from the
// highest number the pattern has given there, and an existing file is never the answer.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quick {

// A moment in local time, as a name shows it.
struct ShotTime {
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
};

enum class PatternProblem {
    None,
    Empty,
    UnknownToken,       // a "{" or "}" that is not part of {date}, {time}, {n} or {n:K}
    PathSeparator,      // "\" or "/": the folder has a field of its own
    ForbiddenCharacter, // < > : " | ? * or a control character, which no Windows file name may hold
    NoImageExtension,   // not ending in .bmp .gif .jpg .jpeg .png (any case)
    ReservedName,       // a name Windows keeps for a device (CON, NUL, COM1, ...), for some counter value
    TooLong,            // more than the 255 characters a file name may have
};

// The first problem of a pattern, in the order above.
PatternProblem CheckPattern(std::wstring_view pattern);

// The message the settings dialog shows for a problem; empty for None.
const wchar_t* PatternProblemText(PatternProblem problem) noexcept;

// True when the pattern holds a counter ({n} or {n:K}).
bool HasCounter(std::wstring_view pattern);

// The name the pattern gives for the counter value n at time t. The pattern must pass CheckPattern.
std::wstring FormatName(std::wstring_view pattern, std::uint64_t n, const ShotTime& t);

// The next quick shot's name in a folder holding the files `existing` (names without folder, compared
// without regard to ASCII case, as Windows compares them). With a counter: one more than the highest value
// among the names the pattern gives now (every token but the counter as it is at t; 1 when there is none),
// so numbering goes on across restarts and gaps and foreign files never count. Without one: the name itself,
// or where it is taken the first free of "name (2).ext", "name (3).ext", ... The answer is never among
// `existing`. The pattern must pass CheckPattern.
std::wstring NextName(std::wstring_view pattern, const std::vector<std::wstring>& existing,
                      const ShotTime& t);

} // namespace quick
