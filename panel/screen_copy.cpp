#include "panel/screen_copy.h"

#include "platform/unique_handle.h"

namespace panel {

namespace {

// Copies width x height pixels from (x, y) of source into a new bitmap compatible with reference.
platform::UniqueBitmap CopyPixels(HDC reference, HDC source, int x, int y, int width, int height) {
    if (width <= 0 || height <= 0)
        return {};
    platform::UniqueBitmap bitmap(::CreateCompatibleBitmap(reference, width, height));
    platform::UniqueDc memory(::CreateCompatibleDC(reference));
    if (!bitmap || !memory)
        return {};
    platform::SelectScope select(memory.get(), bitmap.get());
    if (!::BitBlt(memory.get(), 0, 0, width, height, source, x, y, SRCCOPY))
        return {};
    return bitmap;
}

} // namespace

platform::UniqueBitmap CopyScreenUnderClient(HWND wnd) {
    platform::WindowDcScope screen(::GetDesktopWindow());
    RECT client{};
    ::GetClientRect(wnd, &client);
    POINT origin{0, 0};
    ::ClientToScreen(wnd, &origin);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0)
        return {};
    platform::UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
    platform::UniqueDc memory(::CreateCompatibleDC(screen.get()));
    if (!bitmap || !memory)
        return {};
    platform::SelectScope select(memory.get(), bitmap.get());
    // The picture keeps the client area's size and place even where it reaches past the screens; only
    // what lies on them is copied (a copy that starts off the screen fails as a whole under Wine), and
    // the rest, which shows nothing, is black. CAPTUREBLT brings in other programs' layered windows (menus
    // with shadows, fading tips, overlays), which a system without composition leaves out of a plain copy;
    // the frame and the panel are hidden by now, so it cannot bring them in.
    const RECT area{origin.x, origin.y, origin.x + width, origin.y + height};
    const RECT screens{::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN),
                       ::GetSystemMetrics(SM_XVIRTUALSCREEN) + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
                       ::GetSystemMetrics(SM_YVIRTUALSCREEN) + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    RECT visible{};
    const bool onScreen = ::IntersectRect(&visible, &area, &screens) != FALSE;
    if (!onScreen || !::EqualRect(&visible, &area))
        ::PatBlt(memory.get(), 0, 0, width, height, BLACKNESS);
    if (onScreen && !::BitBlt(memory.get(), visible.left - area.left, visible.top - area.top,
                              visible.right - visible.left, visible.bottom - visible.top, screen.get(),
                              visible.left, visible.top, SRCCOPY | CAPTUREBLT))
        return {};
    return bitmap;
}

platform::UniqueBitmap DuplicateBitmap(HBITMAP source) {
    BITMAP info{};
    if (!source || !::GetObjectW(source, sizeof(info), &info))
        return {};
    platform::WindowDcScope screen(::GetDesktopWindow());
    platform::UniqueDc from(::CreateCompatibleDC(screen.get()));
    if (!from)
        return {};
    platform::SelectScope select(from.get(), source);
    return CopyPixels(screen.get(), from.get(), 0, 0, info.bmWidth, info.bmHeight);
}

} // namespace panel
