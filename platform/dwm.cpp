#include "platform/dwm.h"

#include "platform/late_bound.h"

namespace platform {

namespace {

using GetWindowAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);

} // namespace

DWORD SystemMajorVersion() noexcept {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    ::GetVersionExW(&info);
    return info.dwMajorVersion;
}

HRESULT DwmGetWindowAttributeBound(HWND wnd, DWORD attribute, void* value, DWORD size) noexcept {
    static const auto fn = LateBound<GetWindowAttributeFn>(L"dwmapi.dll", "DwmGetWindowAttribute");
    return fn ? fn(wnd, attribute, value, size) : E_NOTIMPL;
}

} // namespace platform
