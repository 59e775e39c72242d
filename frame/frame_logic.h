#pragma once
// The frame's decisions: its caption, the hit-test answer while a picture is held, where the
// minimised icon goes, which window-menu commands open the About box, whether the picture look needs
// settling once shown, and what its background brush paints around the picture.

#include "platform/rect.h"
#include "res/resource.h"

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

// "Vantrel W:300 H:200" for a client area of 300 by 200 pixels.
std::wstring FormatCaption(int clientWidth, int clientHeight);

// While a picture is held the sizing borders (HTLEFT 10 .. HTBOTTOMRIGHT 17) answer HTBORDER (18),
// so the frame cannot be resized; every other answer passes through.
long long MapHitTest(long long defaultAnswer, bool pictureHeld) noexcept;

// Offset that centres an icon in the client area, truncating toward zero: (client - icon + 1) / 2.
int IconOffset(int clientExtent, int iconExtent) noexcept;

// Window-menu commands 0x0010 to 0x001F open the About box.
bool IsAboutCommand(unsigned int command) noexcept;

// Whether the picture look, applied while the frame is hidden for a capture, has to be settled once the
// frame is shown again. Wine (wineVersion: its version text; null on Windows) ignores the removal of
// WS_EX_LAYERED from a hidden window and shows the frame still keyed; Windows applies it at once, and there
// a keyed state entered and left on the visible frame could only flash.
bool SettlesPictureLookWhenShown(const char* wineVersion) noexcept;

// The parts of a client area that a picture drawn at its top-left corner leaves uncovered, for the
// background brush: the strip right of the picture (full height) and the one below it, empty ones left
// out; the whole area when there is no picture (a zero size).
std::vector<platform::Rect> AroundPicture(int clientWidth, int clientHeight, int pictureWidth,
                                          int pictureHeight);

} // namespace frame
