// What the stand-in dwmapi.dll and the end-to-end driver agree on. The stand-in is loaded into a copy of
// vantrel in place of the system's library (the DLL beside the copy, and dwmapi set to "native" in Wine's
// AppDefaults for the copy's name); the driver steers it through a folder named in the copy's environment.
#pragma once

#include <windows.h>

namespace dwm_standin {

// Environment variable naming the folder (a Windows path) the stand-in works in. Without it the stand-in
// answers like Wine's own library: composition off, nothing extended, no window attributes, nothing logged.
constexpr const wchar_t* kFolderVariable = L"VANTREL_DWM_STANDIN_DIR";

// In that folder: "on" makes DwmIsCompositionEnabled answer TRUE; anything else, or no file, FALSE. Read
// at every call, so a test may change it while the program runs.
constexpr const wchar_t* kCompositionFile = L"composition";
// One line appended per call, written before the call returns:
//   DwmIsCompositionEnabled enabled=1
//   DwmExtendFrameIntoClientArea hwnd=0x1A2B margins=-1,0,0,0      (left,right,top,bottom)
//   DwmGetWindowAttribute hwnd=0x1A2B attribute=9
constexpr const wchar_t* kLogFile = L"calls.log";
// Pixels of a window's client area, written on request (below): width and height as 32-bit little-endian
// numbers, then width*height 32-bit pixels B,G,R,A, top row first.
constexpr const wchar_t* kPixelsFile = L"pixels.bin";

// The pixel service: a message-only window of this class, opened by a thread the stand-in starts on the
// first call it gets while the folder variable is set. kCopyPixels with wParam = a window handle copies that
// window's client area from GetDC(window) with BitBlt into a 32-bpp DIB, alpha included, and writes it to
// the pixels file; the answer is 1 when the file was written, 0 otherwise.
constexpr const wchar_t* kServiceClass = L"VantrelDwmStandInService";
constexpr UINT kCopyPixels = WM_APP + 0x56;

} // namespace dwm_standin
