// What the stand-in dwmapi.dll and the end-to-end driver agree on. The stand-in is loaded into a copy of
// vantrel in place of the system's library: vantrel loads its libraries from the system folder alone, so the
// stand-in lies there, with dwmapi set to "native" in Wine's AppDefaults for the copy's name and to "builtin"
// for every other program. The driver steers it through a folder named in the copy's environment.
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
//   DwmSetWindowAttribute hwnd=0x1A2B attribute=3 value=1          (value: a 4-byte one; else size=N)
//   DwmFlush visible=#32770,tooltips_class32   (the classes of the calling thread's windows still visible)
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

// The same service counts the process's live GDI objects, made by any of its threads. kCountGdiObjects
// with lParam = 0 answers how many objects of every kind are alive, with lParam = an OBJ_ value
// (OBJ_BITMAP, OBJ_FONT, ...) how many of that kind; wParam is unused. The count probes every slot of
// Wine's handle table (see dwmapi.cpp): it holds under Wine only.
constexpr UINT kCountGdiObjects = WM_APP + 0x57;
// kCheckGdiCount checks that count inside the service's own thread: it creates one object of each common
// kind (pen, extended pen, brush, font, bitmap, DIB section, region, palette, memory DC, display DC),
// counts, deletes them and counts again. The answer is 1 when the total rose by exactly the objects made,
// each kind by its own number, every object was found at the slot its handle names, and the counts came
// back to where they were; 0 otherwise. Objects other threads make or free meanwhile upset the count, so
// the service tries a few times before it answers 0: ask while the program is idle.
constexpr UINT kCheckGdiCount = WM_APP + 0x58;

// kReadWindowMenu with wParam = a window writes that window's window menu (GetSystemMenu(window, FALSE),
// read inside the process, since Wine does not let another process read a menu) to the menu file, one
// line per item: id, type (MFT_) and state (MFS_) as decimal numbers, then the text, separated by tabs,
// in UTF-8. The answer is the number of items, or -1 when the window has no window menu.
constexpr UINT kReadWindowMenu = WM_APP + 0x59;
constexpr const wchar_t* kMenuFile = L"menu.txt";

} // namespace dwm_standin
