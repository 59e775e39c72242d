#include "platform/dwm.h"

namespace platform {

namespace {

using GetWindowAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);

// dwmapi.dll stays loaded for the life of the process once bound.
HMODULE DwmLibrary() noexcept {
    static HMODULE library = ::LoadLibraryW(L"dwmapi.dll");
    return library;
}

template <typename Fn> Fn DwmEntry(const char* name) noexcept {
    HMODULE library = DwmLibrary();
    return library ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(library, name))) : nullptr;
}

} // namespace

DWORD SystemMajorVersion() noexcept {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    ::GetVersionExW(&info);
    return info.dwMajorVersion;
}

HRESULT DwmGetWindowAttributeBound(HWND wnd, DWORD attribute, void* value, DWORD size) noexcept {
    static const auto fn = DwmEntry<GetWindowAttributeFn>("DwmGetWindowAttribute");
    return fn ? fn(wnd, attribute, value, size) : E_NOTIMPL;
}

} // namespace platform
