#include "platform/monitors.h"

#include "platform/dpi.h"
#include "platform/late_bound.h"
#include "platform/rect_win.h"

#include <windows.h>

namespace platform {

namespace {

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT rect, LPARAM list) {
    reinterpret_cast<std::vector<Rect>*>(list)->push_back(ToRect(*rect));
    return TRUE;
}

BOOL CALLBACK AddMonitorAtScale(HMONITOR monitor, HDC, LPRECT rect, LPARAM list) {
    int dpi = SystemDpi();
    if (const auto fn = BoundShcore().GetDpiForMonitor) {
        UINT x = 0, y = 0;
        if (SUCCEEDED(fn(monitor, display::kEffectiveDpi, &x, &y)) && x > 0)
            dpi = static_cast<int>(x);
    }
    reinterpret_cast<std::vector<MonitorAtScale>*>(list)->push_back({ToRect(*rect), dpi});
    return TRUE;
}

} // namespace

std::vector<MonitorAtScale> MonitorsAtScale() {
    std::vector<MonitorAtScale> monitors;
    ::EnumDisplayMonitors(nullptr, nullptr, AddMonitorAtScale, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

std::vector<Rect> MonitorRects() {
    std::vector<Rect> monitors;
    ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

Rect WorkAreaFor(const Rect& window) {
    const RECT r = ToRECT(window);
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoW(::MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &mi);
    return ToRect(mi.rcWork);
}

} // namespace platform
