#include "panel/screen_copy.h"

#include "platform/gdi_scope.h"

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
    return CopyPixels(screen.get(), screen.get(), origin.x, origin.y, client.right - client.left,
                      client.bottom - client.top);
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
