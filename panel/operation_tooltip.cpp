#include "panel/operation_tooltip.h"

#include "panel/tooltip_table.h"
#include "platform/dib.h"
#include "platform/dpi_scale.h"
#include "platform/pixels.h"
#include "platform/unique_handle.h"

#include <algorithm>
#include <vector>

namespace {

// The pixels of a 32-bit bitmap resource loaded as a DIB section, top row first; empty when it is no such
// bitmap of the given size.
std::vector<std::uint32_t> TopDownPixels(HBITMAP bitmap, int size) {
    DIBSECTION dib{};
    if (::GetObjectW(bitmap, sizeof(dib), &dib) != sizeof(dib) || dib.dsBm.bmBitsPixel != 32 ||
        dib.dsBm.bmWidth != size || dib.dsBm.bmHeight != size || !dib.dsBm.bmBits)
        return {};
    const auto* bits = static_cast<const std::uint32_t*>(dib.dsBm.bmBits);
    std::vector<std::uint32_t> pixels;
    pixels.reserve(static_cast<size_t>(size) * size);
    // A resource bitmap runs bottom-up.
    for (int y = size - 1; y >= 0; --y)
        pixels.insert(pixels.end(), bits + static_cast<size_t>(y) * size,
                      bits + static_cast<size_t>(y + 1) * size);
    return pixels;
}

// Blends premultiplied pixels over dc at their own size.
void Blend(HDC dc, int x, int y, HBITMAP bitmap, int width, int height) {
    platform::UniqueDc memory(::CreateCompatibleDC(dc));
    if (!memory)
        return;
    platform::SelectScope select(memory.get(), bitmap);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::GdiAlphaBlend(dc, x, y, width, height, memory.get(), 0, 0, width, height, blend);
}

} // namespace

// The description of the control under the pointer is chosen each time its tip shows.
bool COperationToolTipCtr::OnShow(const NMHDR& header, LRESULT& result) {
    m_nCtrlID = ::GetDlgCtrlID(reinterpret_cast<HWND>(header.idFrom));
    SetTipDescription(panel::TipDescription(m_nCtrlID));
    return CToolTipCtrlEx::OnShow(header, result);
}

// Every tool keeps a column for its icon, also the one that has none: 32x32 at 96 dpi, in proportion at
// other scales, so the icon keeps its size beside the text.
SIZE COperationToolTipCtr::QueryIconSize(int dpi) {
    const int size = platform::Scale(panel::kTipIconSize, dpi);
    return SIZE{size, size};
}

// The icon is loaded for each paint and freed after it, from the image drawn at the column's size or the
// next larger one, which is then scaled down by area; its soft edges are blended over the tip's background.
// An image that cannot be loaded leaves the column empty.
bool COperationToolTipCtr::DrawTipIcon(HDC dc, const RECT& rect) {
    const int size = rect.right - rect.left;
    const panel::TipIcon icon = panel::TipIconFor(m_nCtrlID, size);
    if (!icon.bitmapId)
        return false;
    platform::UniqueBitmap bitmap(
        static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(icon.bitmapId),
                                          IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap)
        return true;
    if (icon.size == size) {
        Blend(dc, rect.left, rect.top, bitmap.get(), size, size);
        return true;
    }
    const std::vector<std::uint32_t> source = TopDownPixels(bitmap.get(), icon.size);
    if (source.empty())
        return true;
    const std::vector<std::uint32_t> scaled =
        platform::ResampleByArea(source.data(), icon.size, icon.size, size, size);
    std::uint32_t* bits = nullptr;
    platform::UniqueBitmap drawn = platform::CreateTopDownDib(dc, size, size, &bits);
    if (!drawn)
        return true;
    std::copy(scaled.begin(), scaled.end(), bits);
    ::GdiFlush();
    Blend(dc, rect.left, rect.top, drawn.get(), size, size);
    return true;
}
