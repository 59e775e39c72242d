#include "platform/dwm.h"

#include "platform/late_bound.h"

namespace platform {

bool GetExtendedFrameBounds(HWND wnd, RECT& bounds) noexcept {
    if (!SystemIsVersion6OrLater())
        return false;
    const auto fn = BoundDwmapi().DwmGetWindowAttribute;
    return fn && SUCCEEDED(fn(wnd, DWMWA_EXTENDED_FRAME_BOUNDS, &bounds, sizeof(bounds)));
}

bool IsCloaked(HWND wnd) noexcept {
    if (!SystemIsVersion6OrLater())
        return false;
    const auto fn = BoundDwmapi().DwmGetWindowAttribute;
    DWORD cloaked = 0;
    return fn && SUCCEEDED(fn(wnd, DWMWA_CLOAKED, &cloaked, sizeof(cloaked))) && cloaked != 0;
}

HRESULT CheckComposition(bool* enabled) noexcept {
    if (!SystemIsVersion6OrLater()) {
        if (enabled)
            *enabled = false;
        return -1;
    }
    const auto fn = BoundDwmapi().DwmIsCompositionEnabled;
    if (!fn) {
        // dwmapi.dll is missing: no composition.
        if (enabled)
            *enabled = false;
        return E_NOTIMPL;
    }
    if (!enabled)
        return fn(nullptr);
    // The flag keeps its value where the window manager writes none.
    BOOL on = *enabled ? TRUE : FALSE;
    const HRESULT result = fn(&on);
    *enabled = on != FALSE;
    return result;
}

HRESULT ExtendFrameIntoClient(HWND wnd, const MARGINS* margins) noexcept {
    if (!SystemIsVersion6OrLater())
        return -1;
    const auto fn = BoundDwmapi().DwmExtendFrameIntoClientArea;
    return fn ? fn(wnd, margins) : E_NOTIMPL;
}

void FlushComposition() noexcept {
    if (!SystemIsVersion6OrLater())
        return;
    if (const auto fn = BoundDwmapi().DwmFlush)
        fn();
}

HRESULT DisableTransitions(HWND wnd) noexcept {
    if (!SystemIsVersion6OrLater())
        return -1;
    const auto fn = BoundDwmapi().DwmSetWindowAttribute;
    const BOOL disabled = TRUE;
    return fn ? fn(wnd, DWMWA_TRANSITIONS_FORCEDISABLED, &disabled, sizeof(disabled)) : E_NOTIMPL;
}

} // namespace platform
