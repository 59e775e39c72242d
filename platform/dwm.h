#pragma once
// The desktop window manager, reached through dwmapi.dll bound on first use, so the program also
// starts where that library is missing. Its calls are made only on systems of major version 6 or later.

#include <windows.h>

namespace platform {

// The system's major version, asked anew at every call; a failed query reads as 0.
DWORD SystemMajorVersion() noexcept;

// DwmGetWindowAttribute, or E_NOTIMPL when dwmapi.dll or its entry point is missing.
HRESULT DwmGetWindowAttributeBound(HWND wnd, DWORD attribute, void* value, DWORD size) noexcept;

} // namespace platform
