#include "platform/dwm.h"

#include "platform/late_bound.h"

namespace platform {

bool GetExtendedFrameBounds(HWND wnd, RECT& bounds) noexcept {
    if (!SystemIsVersion6OrLater())
        return false;
    const auto fn = BoundDwmapi().DwmGetWindowAttribute;
    return fn && SUCCEEDED(fn(wnd, DWMWA_EXTENDED_FRAME_BOUNDS, &bounds, sizeof(bounds)));
}

HRESULT CheckComposition(BOOL* enabled) noexcept {
    if (!SystemIsVersion6OrLater()) {
        if (enabled)
            *enabled = FALSE;
        return -1;
    }
    const auto fn = BoundDwmapi().DwmIsCompositionEnabled;
    if (!fn) {
        // dwmapi.dll is missing: no composition.
        if (enabled)
            *enabled = FALSE;
        return E_NOTIMPL;
    }
    return fn(enabled);
}

HRESULT ExtendFrameIntoClient(HWND wnd, const MARGINS* margins) noexcept {
    if (!SystemIsVersion6OrLater())
        return -1;
    const auto fn = BoundDwmapi().DwmExtendFrameIntoClientArea;
    return fn ? fn(wnd, margins) : E_NOTIMPL;
}

} // namespace platform
