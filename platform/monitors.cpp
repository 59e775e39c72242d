#include "platform/monitors.h"

#include "platform/rect_win.h"

#include <windows.h>

namespace platform {

namespace {

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT rect, LPARAM list) {
    reinterpret_cast<std::vector<Rect>*>(list)->push_back(ToRect(*rect));
    return TRUE;
}

} // namespace

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
