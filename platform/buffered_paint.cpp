#include "platform/buffered_paint.h"

#include <cstddef>
#include <cstdint>

namespace platform {

// A PixelView reads the buffer's RGBQUADs as 0xAARRGGBB: blue in the low byte, alpha in the high one.
static_assert(sizeof(RGBQUAD) == sizeof(std::uint32_t) && offsetof(RGBQUAD, rgbBlue) == 0 &&
              offsetof(RGBQUAD, rgbReserved) == 3);

BufferedPaint::BufferedPaint(HDC target, const RECT& rect) noexcept : m_rect(rect) {
    m_buffer = ::BeginBufferedPaint(target, &m_rect, BPBF_TOPDOWNDIB, nullptr, &m_dc);
}

BufferedPaint::~BufferedPaint() {
    if (m_buffer)
        ::EndBufferedPaint(m_buffer, TRUE);
}

PixelView BufferedPaint::View() const noexcept {
    RGBQUAD* bits = nullptr;
    int row = 0;
    if (!m_buffer || FAILED(::GetBufferedPaintBits(m_buffer, &bits, &row)) || !bits)
        return PixelView{};
    return PixelView{reinterpret_cast<std::uint32_t*>(bits), m_rect.right - m_rect.left,
                     m_rect.bottom - m_rect.top, row};
}

void BufferedPaint::SetAlpha(const RECT& area, BYTE alpha) noexcept {
    if (!m_buffer)
        return;
    ::BufferedPaintSetAlpha(m_buffer, &area, alpha);
    PixelView view = View();
    if (view.pixels)
        platform::SetAlpha(view,
                           Rect{area.left - m_rect.left, area.top - m_rect.top, area.right - m_rect.left,
                                area.bottom - m_rect.top},
                           alpha);
}

} // namespace platform
