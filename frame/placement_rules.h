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

// One monitor at its own display scale, and what the frame is there: its borders and caption are drawn at
// that scale, and the system's limits on the window's size are made for it.
struct MonitorScale {
    platform::Rect rect;    // the monitor, in screen pixels
    int dpi = 96;           // its display scale
    platform::Rect margins; // how far the frame's window reaches beyond its client area on each side there
    Size smallestClient;    // the client area of the smallest window the system allows at that scale
    Size largestClient;     // ... and of the largest (its largest tracking size)
};

// What the frame may be on this desktop, gathered by the frame when it needs it.
struct Desktop {
    std::vector<platform::Rect> monitors; // each monitor's rectangle
    // Where the frame stands: the client area of the smallest and the largest window the system lets it have
    // (its smallest and largest tracking sizes) at its scale, less its borders and caption there. Whatever
    // sizes the frame where it stands keeps within them.
    Size smallestClient;
    Size largestClient;
    int captionHeight = 0; // the caption bar, which lies right above the client area
    // Every monitor with the frame at its own scale; empty where they are not known, and the sizes above then
    // hold everywhere.
    std::vector<MonitorScale> scales;
};

// The caption bar's middle must lie on some monitor, or the user could not grab the frame again.
bool CaptionOnMonitor(const platform::Rect& client, const Desktop& desktop) noexcept;

// The monitor whose scale the frame takes with its client area on `client`: the one that its window, drawn
// at that monitor's scale, overlaps most (the system gives a window the scale of that monitor), else the
// nearest. Null where the desktop knows no scales.
const MonitorScale* ScaleWhere(const platform::Rect& client, const Desktop& desktop) noexcept;

// The smallest and largest client sizes the frame may have with its client area on `client`.
struct SizeLimits {
    Size smallest, largest;
};
SizeLimits LimitsWhere(const platform::Rect& client, const Desktop& desktop) noexcept;

// The window rectangle that puts the frame's client area exactly on `client`: its borders and caption at
// the scale it takes there, or `present` (the frame's borders and caption as they are) where the desktop
// knows no scales.
platform::Rect FrameWindowFor(const platform::Rect& client, const Desktop& desktop,
                              const platform::Rect& present) noexcept;

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
    SizeLimits limits;                        // the sizes allowed where the typed rectangle lies
};

// Checks the typed fields in order X, Y, W, H. While a picture is held the size is the current one and the
// size fields are not read. The size must lie within the limits where the typed rectangle lies.
PlacementCheck CheckPlacement(const PlacementFields& typed, const platform::Rect& current, bool pictureHeld,
                              const Desktop& desktop);

// The short message that says what is wrong; empty when nothing is.
std::wstring PlacementMessage(const PlacementCheck& check);

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
// the largest client size where the rectangle lies and the caption bar's middle lies on a monitor; RightPos
// counts on its own when it is a DWORD of 0 or 1.
RestoredFrame CheckStoredFrame(const StoredFrame& stored, const Desktop& desktop) noexcept;

} // namespace frame
