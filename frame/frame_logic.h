#pragma once
// The frame's decisions: its caption, the hit-test answer while a picture is held, where the
// minimised icon goes, which window-menu commands open the About box, how its looks change under Wine and
// which key colour the see-through look takes there, and what its background brush paints around the
// picture.

#include "platform/rect.h"
#include "res/resource.h"

#include <cstdint>
#include <string>
#include <vector>

namespace frame {

// Win32 values this file works with, repeated so that it builds without Win32; the frame checks them
// against the real ones.
inline constexpr long long kHtLeft = 10;                // HTLEFT, the first of the sizing borders
inline constexpr long long kHtBottomRight = 17;         // HTBOTTOMRIGHT, the last of them
inline constexpr long long kHtBorder = 18;              // HTBORDER
inline constexpr unsigned int kSysCommandMask = 0xFFF0; // the system keeps the low four bits of a command

// The About item's command in the window menu.
inline constexpr unsigned int kAboutCommand = IDM_ABOUTBOX;

// The question before the program ends while it holds a picture that was neither saved nor copied.
inline constexpr wchar_t kUnkeptPictureQuestion[] =
    L"保存していないキャプチャー画像があります。終了しますか?";

// The recording hotkey's answer until the program records.
inline constexpr wchar_t kRecordingUnavailableText[] = L"録画はまだ使えません.";

// "Vantrel W:300 H:200" for a client area of 300 by 200 pixels.
std::wstring FormatCaption(int clientWidth, int clientHeight);

// While a picture is held the sizing borders (HTLEFT 10 .. HTBOTTOMRIGHT 17) answer HTBORDER (18),
// so the frame cannot be resized; every other answer passes through.
long long MapHitTest(long long defaultAnswer, bool pictureHeld) noexcept;

// Offset that centres an icon in the client area, truncating toward zero: (client - icon + 1) / 2.
int IconOffset(int clientExtent, int iconExtent) noexcept;

// Window-menu commands 0x0010 to 0x001F open the About box.
bool IsAboutCommand(unsigned int command) noexcept;

// Whether the frame changes its looks in the way Wine's X11 driver needs (wineVersion: Wine's version text;
// null on Windows). That driver cuts a colour-keyed window's shape from the window's pixels, one rectangle
// per run of pixels that are not the key colour, whenever the key changes and whenever drawing reaches the
// screen; and it keeps the shape of a window hidden while keyed after WS_EX_LAYERED is taken away. So under
// Wine the see-through look that follows a picture is keyed with a colour the picture does not hold, and the
// picture look, once shown, drops the shape left from the see-through look. Windows needs neither.
bool FollowsWineShapes(const char* wineVersion) noexcept;

// The see-through look's key colour, as 0x00RRGGBB: RGB(1,0,0).
inline constexpr std::uint32_t kKeyRgb = 0x010000;

// The key colour, as 0x00RRGGBB, for a see-through look that replaces a picture of these pixels (0x00RRGGBB,
// a fourth byte ignored) under Wine: kKeyRgb when the picture does not hold it, else the first colour
// counting up from it that the picture does not hold, so that the shape cut while the picture is still shown
// has no holes. A picture can hold every colour only with more than 16,777,215 pixels; it keeps kKeyRgb.
std::uint32_t KeyColourAbsentFrom(const std::vector<std::uint32_t>& pixels);

// The parts of a client area that a picture drawn at its top-left corner leaves uncovered, for the
// background brush: the strip right of the picture (full height) and the one below it, empty ones left
// out; the whole area when there is no picture (a zero size).
std::vector<platform::Rect> AroundPicture(int clientWidth, int clientHeight, int pictureWidth,
                                          int pictureHeight);

} // namespace frame
