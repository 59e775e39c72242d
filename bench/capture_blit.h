#pragma once
// The least a screen capture has to do: copy a rectangle of the screen into a new bitmap in the
// screen's own format, layered windows included as the program copies it. Shared by the capture benchmark's
// baseline program and its probe.
#include <windows.h>

namespace bench {

// Copies width x height pixels at (x, y) of the screen into a new compatible bitmap; nullptr on failure.
// The caller owns the bitmap.
inline HBITMAP CopyScreenArea(int x, int y, int width, int height) {
    HWND desktop = ::GetDesktopWindow();
    HDC screen = ::GetDC(desktop);
    if (!screen)
        return nullptr;
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HDC memory = ::CreateCompatibleDC(screen);
    bool copied = false;
    if (bitmap && memory) {
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        copied = ::BitBlt(memory, 0, 0, width, height, screen, x, y, SRCCOPY | CAPTUREBLT) != FALSE;
        ::SelectObject(memory, old);
    }
    if (memory)
        ::DeleteDC(memory);
    ::ReleaseDC(desktop, screen);
    if (!copied && bitmap) {
        ::DeleteObject(bitmap);
        bitmap = nullptr;
    }
    return bitmap;
}

} // namespace bench
