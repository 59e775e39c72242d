#pragma once
// Lengths at a display scale. Every fixed size of the program is given for 96 dots per inch and taken to
// another scale with the system's MulDiv rounding, so that each stays exactly what it was at 96.

namespace platform {

// The scale at which the program's own sizes are given (100 %).
inline constexpr int kDefaultDpi = 96;

// a * b / c rounded to the nearest integer, halves away from zero; -1 when c is 0 or the result
// does not fit, as the system's MulDiv answers.
int MulDivRounded(int a, int b, int c) noexcept;

// A length given for 96 dpi as it is at dpi.
int Scale(int value, int dpi) noexcept;

// A font height (LOGFONT lfHeight) made at fromDpi, for the same point size at toDpi: the height in whole
// points, then those points at the new scale, as the dialog manager makes a template's font.
int FontHeightAtDpi(int lfHeight, int fromDpi, int toDpi) noexcept;

} // namespace platform
