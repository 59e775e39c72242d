#pragma once
// The visual-styles services the glass look uses, bound on first use (uxtheme.dll is no import of the
// program): off-screen painting into a 32-bpp top-down buffer over a rectangle of a device context, copied to
// it in one step when the paint ends, so a control never flickers; and a theme's data, for themed text.
// Without the library there is no buffer and no theme, and their users paint as the system does.

#include "platform/pixels.h"
#include "platform/unique_any.h"

#include <windows.h>
#include <uxtheme.h>

namespace platform {

class BufferedPaint {
public:
    BufferedPaint(HDC target, const RECT& rect) noexcept;
    // Copies the buffer to the target and frees it.
    ~BufferedPaint();
    BufferedPaint(const BufferedPaint&) = delete;
    BufferedPaint& operator=(const BufferedPaint&) = delete;

    explicit operator bool() const noexcept { return m_buffer != nullptr; }
    HDC dc() const noexcept { return m_dc; }

    // The buffer's pixels, origin at the rectangle's top-left; empty when they cannot be reached.
    PixelView View() const noexcept;

    // Gives every pixel of area (in the target's coordinates) the alpha given. Written through the
    // buffer's bits as well, as some systems ignore BufferedPaintSetAlpha.
    void SetAlpha(const RECT& area, BYTE alpha) noexcept;

private:
    HPAINTBUFFER m_buffer = nullptr;
    HDC m_dc = nullptr;
    RECT m_rect{};
};

// Buffered painting prepared for this thread for as long as the object lives (or from Begin on).
class BufferedPaintSession {
public:
    BufferedPaintSession() = default;
    ~BufferedPaintSession();
    BufferedPaintSession(const BufferedPaintSession&) = delete;
    BufferedPaintSession& operator=(const BufferedPaintSession&) = delete;
    void Begin() noexcept;

private:
    bool m_begun = false;
};

namespace detail {
void CloseTheme(HTHEME theme) noexcept;
} // namespace detail

// A window's theme data for the classes given (OpenThemeData), closed once; empty without visual styles.
using UniqueTheme = UniqueAny<HTHEME, detail::CloseTheme>;
UniqueTheme OpenTheme(HWND wnd, const wchar_t* classes) noexcept;

} // namespace platform
