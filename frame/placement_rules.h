#pragma once
// Where the frame may stand and how big it may be: the four typed fields of the placement dialog, the sizes
// of its list, the arrow keys on the frame and the frame remembered from the last run. All of it works on
// client rectangles in screen pixels (the region Capture copies and the caption reports).

#include "platform/rect.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace frame {

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size& a, const Size& b) noexcept {
        return a.width == b.width && a.height == b.height;
    }
};

// What the frame may be on this desktop, gathered by the frame when it needs it.
struct Desktop {
    std::vector<platform::Rect> monitors; // each monitor's rectangle
    Size smallestClient;                  // the frame's smallest client area (the system's tracking limit)
    Size largestClient;                   // the whole virtual screen
    int captionHeight = 0;                // the caption bar, which lies right above the client area
};

// The caption bar's middle must lie on some monitor, or the user could not grab the frame again.
bool CaptionOnMonitor(const platform::Rect& client, const Desktop& desktop) noexcept;

// ---------------------------------------------------------------- the placement dialog

// A whole number as typed: optional spaces around, an optional sign, decimal digits (ASCII or full-width,
// as a Japanese input method types them). Numbers too long for any screen are kept saturated, so that
// they fail the range checks rather than read as text.
std::optional<long long> ParseWholeNumber(std::wstring_view text) noexcept;

enum class PlacementField { X, Y, Width, Height };
enum class PlacementProblem { None, NotWholeNumber, SizeOutOfRange, CaptionOffMonitor };

struct PlacementFields {
    std::wstring x, y, width, height;
};

struct PlacementCheck {
    PlacementProblem problem = PlacementProblem::None;
    PlacementField field = PlacementField::X; // the field to select when there is a problem
    platform::Rect client;                    // the client rectangle to apply when there is none
};

// Checks the typed fields in order X, Y, W, H. While a picture is held the size is the current one and the
// size fields are not read.
PlacementCheck CheckPlacement(const PlacementFields& typed, const platform::Rect& current, bool pictureHeld,
                              const Desktop& desktop);

// The short message that says what is wrong; empty when nothing is.
std::wstring PlacementMessage(const PlacementCheck& check, const Desktop& desktop);

// The common sizes of the dialog's list, and their text ("640 x 480").
const std::vector<Size>& CommonSizes();
std::wstring SizeText(const Size& size);

// ---------------------------------------------------------------- arrow keys on the frame

// Win32 values this file works with, repeated so that it builds without Win32; the frame checks them
// against the real ones.
inline constexpr unsigned int kVkLeft = 0x25;
inline constexpr unsigned int kVkUp = 0x26;
inline constexpr unsigned int kVkRight = 0x27;
inline constexpr unsigned int kVkDown = 0x28;

// How a key changes the client rectangle: the top-left corner moves by dx, dy; the size grows by dw, dh.
struct KeyChange {
    int dx = 0, dy = 0, dw = 0, dh = 0;
};

// Arrows move by 1 pixel, with Shift by 10; with Ctrl they size instead (Right and Down grow, Left and Up
// shrink), with Ctrl+Shift by 10. Other keys change nothing.
std::optional<KeyChange> ChangeForKey(unsigned int virtualKey, bool shift, bool ctrl) noexcept;

// The client rectangle after a key. Sizing never goes below the smallest size or beyond the largest (a
// size already outside them is not pulled in by a key that does not reach them), and does nothing while a
// picture is held.
platform::Rect ApplyKeyChange(const platform::Rect& client, const KeyChange& change, bool pictureHeld,
                              const Desktop& desktop) noexcept;

// ---------------------------------------------------------------- the remembered frame

inline constexpr unsigned long kRegDword = 4; // REG_DWORD

// One value as the registry gave it.
struct StoredValue {
    bool present = false;
    unsigned long type = 0;
    unsigned long size = 0; // bytes
    std::uint32_t data = 0; // the first four bytes, when there are that many
};

struct StoredFrame {
    StoredValue left, top, width, height, rightPos;
};

struct RestoredFrame {
    std::optional<platform::Rect> client; // the client rectangle to open with, when the four values are valid
    std::optional<bool> rightPos;         // the panel's side, when its value is valid
};

// The rectangle counts only when all four values are 32-bit DWORDs, the size lies between the smallest and
// the largest client size and the caption bar's middle lies on a monitor; RightPos counts on its own when
// it is a DWORD of 0 or 1.
RestoredFrame CheckStoredFrame(const StoredFrame& stored, const Desktop& desktop) noexcept;

} // namespace frame
