#include "platform/dpi.h"

#include "platform/dpi_scale.h"
#include "platform/late_bound.h"
#include "platform/unique_handle.h"

namespace platform {

int SystemDpi() noexcept {
    WindowDcScope screen(nullptr);
    const int dpi = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
    return dpi > 0 ? dpi : kDefaultDpi;
}

int WindowDpi(HWND wnd) noexcept {
    if (const auto fn = BoundUser32().GetDpiForWindow)
        if (const UINT dpi = fn(wnd))
            return static_cast<int>(dpi);
    if (const auto fn = BoundShcore().GetDpiForMonitor) {
        UINT x = 0, y = 0;
        if (SUCCEEDED(
                fn(::MonitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST), display::kEffectiveDpi, &x, &y)) &&
            x > 0)
            return static_cast<int>(x);
    }
    return SystemDpi();
}

Rect NonClientMargins(HWND wnd, int dpi) noexcept {
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(wnd, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongW(wnd, GWL_EXSTYLE));
    RECT r{};
    const auto fn = BoundUser32().AdjustWindowRectExForDpi;
    if (!fn || !fn(&r, style, FALSE, exStyle, static_cast<UINT>(dpi)))
        ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return {-r.left, -r.top, r.right, r.bottom};
}

// Without the per-scale call the metric is the system's, made for the system's scale.
int SystemMetricAt(int index, int dpi) noexcept {
    if (const auto fn = BoundUser32().GetSystemMetricsForDpi)
        return fn(index, static_cast<UINT>(dpi));
    return MulDivRounded(::GetSystemMetrics(index), dpi, SystemDpi());
}

NONCLIENTMETRICSW NonClientMetricsAt(int dpi) noexcept {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (const auto fn = BoundUser32().SystemParametersInfoForDpi)
        if (fn(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, static_cast<UINT>(dpi)))
            return metrics;
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(LOGFONTW), &metrics.lfStatusFont);
    // The system's answer is made for its own scale: its fonts are taken to dpi.
    const int system = SystemDpi();
    for (LOGFONTW* font : {&metrics.lfCaptionFont, &metrics.lfSmCaptionFont, &metrics.lfMenuFont,
                           &metrics.lfStatusFont, &metrics.lfMessageFont})
        font->lfHeight = FontHeightAtDpi(font->lfHeight, system, dpi);
    return metrics;
}

// The system is asked what client area it would give the window rectangle (WM_NCCALCSIZE without moving
// anything), so that the window moves once, straight to its place.
void MoveWindowAroundClient(HWND wnd, const Rect& window, const Rect& client) noexcept {
    RECT given{window.left, window.top, window.right, window.bottom};
    ::SendMessageW(wnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&given));
    const Rect placed{window.left + client.left - given.left, window.top + client.top - given.top,
                      window.right + client.right - given.right,
                      window.bottom + client.bottom - given.bottom};
    ::SetWindowPos(wnd, nullptr, placed.left, placed.top, placed.Width(), placed.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void KeepDialogLayoutOnDpiChange(HWND dialog) noexcept {
    if (const auto fn = BoundUser32().SetDialogDpiChangeBehavior)
        fn(dialog, display::kDialogDpiChangeDisableAll, display::kDialogDpiChangeDisableAll);
}

} // namespace platform
