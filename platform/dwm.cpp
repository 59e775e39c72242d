#include "platform/dwm.h"

#include "platform/late_bound.h"

namespace platform {

namespace {

using GetWindowAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
using IsCompositionEnabledFn = HRESULT(WINAPI*)(BOOL*);
using ExtendFrameFn = HRESULT(WINAPI*)(HWND, const MARGINS*);

// The system's version, read once by the glass wrappers; a failed read is tried again at the next call.
OSVERSIONINFOW g_osVersion{};
BOOL g_bOsVersionKnown = 0;

// True when the DWM's glass calls may be made: the version is known and is 6 or later.
bool VersionGatePasses() noexcept {
    if (!g_bOsVersionKnown) {
        g_osVersion = OSVERSIONINFOW{};
        g_osVersion.dwOSVersionInfoSize = sizeof(g_osVersion);
        if (::GetVersionExW(&g_osVersion) == TRUE)
            g_bOsVersionKnown = 1;
    }
    return g_bOsVersionKnown == 1 && g_osVersion.dwMajorVersion >= 6;
}

// dwmapi.dll's functions are looked up at their first use only, which comes after the gate passed.
template <typename Fn> Fn DwmFunction(const char* name) noexcept {
    return LateBound<Fn>(L"dwmapi.dll", name);
}

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

HRESULT CheckComposition(BOOL* enabled) noexcept {
    if (!VersionGatePasses()) {
        if (enabled)
            *enabled = FALSE;
        return -1;
    }
    static const auto fn = DwmFunction<IsCompositionEnabledFn>("DwmIsCompositionEnabled");
    if (!fn) {
        // dwmapi.dll is missing: no composition.
        if (enabled)
            *enabled = FALSE;
        return E_NOTIMPL;
    }
    return fn(enabled);
}

HRESULT ExtendFrameIntoClient(HWND wnd, const MARGINS* margins) noexcept {
    if (!VersionGatePasses())
        return -1;
    static const auto fn = DwmFunction<ExtendFrameFn>("DwmExtendFrameIntoClientArea");
    return fn ? fn(wnd, margins) : E_NOTIMPL;
}

} // namespace platform
