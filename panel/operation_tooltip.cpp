#include "panel/operation_tooltip.h"

#include "panel/tooltip_table.h"
#include "platform/unique_handle.h"

// The description of the control under the pointer is chosen each time its tip shows.
bool COperationToolTipCtr::OnShow(const NMHDR& header, LRESULT& result) {
    m_nCtrlID = ::GetDlgCtrlID(reinterpret_cast<HWND>(header.idFrom));
    SetTipDescription(panel::TipDescription(m_nCtrlID));
    return CToolTipCtrlEx::OnShow(header, result);
}

// Every tool keeps a 32x32 column for its icon, also the one that has none.
SIZE COperationToolTipCtr::QueryIconSize() {
    return SIZE{32, 32};
}

// The bitmap is loaded for each paint and freed after it; it is drawn at its own size with its soft
// edges blended over the tip's background. A bitmap that cannot be loaded leaves the column empty.
bool COperationToolTipCtr::DrawTipIcon(HDC dc, const RECT& rect) {
    const int bitmapId = panel::TipBitmapId(m_nCtrlID);
    if (!bitmapId)
        return false;
    platform::UniqueBitmap bitmap(static_cast<HBITMAP>(::LoadImageW(
        ::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap)
        return true;
    BITMAP info{};
    ::GetObjectW(bitmap.get(), sizeof(info), &info);
    platform::UniqueDc memory(::CreateCompatibleDC(dc));
    if (!memory)
        return true;
    platform::SelectScope select(memory.get(), bitmap.get());
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::GdiAlphaBlend(dc, rect.left, rect.top, info.bmWidth, info.bmHeight, memory.get(), 0, 0, info.bmWidth,
                    info.bmHeight, blend);
    return true;
}
