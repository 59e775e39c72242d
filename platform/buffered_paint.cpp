#include "platform/buffered_paint.h"

#include "platform/late_bound.h"

#include <cstddef>
#include <cstdint>

namespace platform {

// A PixelView reads the buffer's RGBQUADs as 0xAARRGGBB: blue in the low byte, alpha in the high one.
static_assert(sizeof(RGBQUAD) == sizeof(std::uint32_t) && offsetof(RGBQUAD, rgbBlue) == 0 &&
              offsetof(RGBQUAD, rgbReserved) == 3);

BufferedPaint::BufferedPaint(HDC target, const RECT& rect) noexcept : m_rect(rect) {
    if (const auto begin = BoundUxtheme().BeginBufferedPaint)
        m_buffer = begin(target, &m_rect, BPBF_TOPDOWNDIB, nullptr, &m_dc);
}

// A buffer was begun only where the library has every call it needs.
BufferedPaint::~BufferedPaint() {
    if (m_buffer && BoundUxtheme().EndBufferedPaint)
        BoundUxtheme().EndBufferedPaint(m_buffer, TRUE);
}

PixelView BufferedPaint::View() const noexcept {
    RGBQUAD* bits = nullptr;
    int row = 0;
    const auto getBits = BoundUxtheme().GetBufferedPaintBits;
    if (!m_buffer || !getBits || FAILED(getBits(m_buffer, &bits, &row)) || !bits)
        return PixelView{};
    return PixelView{reinterpret_cast<std::uint32_t*>(bits), m_rect.right - m_rect.left,
                     m_rect.bottom - m_rect.top, row};
}

void BufferedPaint::SetAlpha(const RECT& area, BYTE alpha) noexcept {
    if (!m_buffer)
        return;
    if (const auto setAlpha = BoundUxtheme().BufferedPaintSetAlpha)
        setAlpha(m_buffer, &area, alpha);
    PixelView view = View();
    if (view.pixels)
        platform::SetAlpha(view,
                           Rect{area.left - m_rect.left, area.top - m_rect.top, area.right - m_rect.left,
                                area.bottom - m_rect.top},
                           alpha);
}

BufferedPaintSession::~BufferedPaintSession() {
    if (m_begun && BoundUxtheme().BufferedPaintUnInit)
        BoundUxtheme().BufferedPaintUnInit();
}

void BufferedPaintSession::Begin() noexcept {
    const auto init = BoundUxtheme().BufferedPaintInit;
    if (!m_begun && init)
        m_begun = SUCCEEDED(init());
}

void detail::CloseTheme(HTHEME theme) noexcept {
    if (const auto close = BoundUxtheme().CloseThemeData)
        close(theme);
}

UniqueTheme OpenTheme(HWND wnd, const wchar_t* classes) noexcept {
    const auto open = BoundUxtheme().OpenThemeData;
    return UniqueTheme(open ? open(wnd, classes) : nullptr);
}

} // namespace platform
