#pragma once
// The frame's decisions: its caption, the hit-test answer while a picture is held, where the
// minimised icon goes, and which window-menu commands open the About box.

#include <string>

namespace frame {

// "Vantrel W:300 H:200" for a client area of 300 by 200 pixels.
std::wstring FormatCaption(int clientWidth, int clientHeight);

// While a picture is held the sizing borders (HTLEFT 10 .. HTBOTTOMRIGHT 17) answer HTBORDER (18),
// so the frame cannot be resized; every other answer passes through.
long long MapHitTest(long long defaultAnswer, bool pictureHeld) noexcept;

// Offset that centres an icon in the client area, truncating toward zero: (client - icon + 1) / 2.
int IconOffset(int clientExtent, int iconExtent) noexcept;

// Window-menu commands 0x0010 to 0x001F open the About box.
bool IsAboutCommand(unsigned int command) noexcept;

} // namespace frame
