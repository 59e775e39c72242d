#pragma once
// The desktop window manager, reached through dwmapi.dll bound on first use, so the program also
// starts where that library is missing. Its glass calls are made only on systems of major version 6 or
// later.

#include <windows.h>
#include <uxtheme.h>

namespace platform {

// The system's major version, asked anew at every call; a failed query reads as 0.
DWORD SystemMajorVersion() noexcept;

// DwmGetWindowAttribute, or E_NOTIMPL when dwmapi.dll or its entry point is missing.
HRESULT DwmGetWindowAttributeBound(HWND wnd, DWORD attribute, void* value, DWORD size) noexcept;

// Whether desktop composition is on, written to *enabled (when given). On a system older than major
// version 6, or when its version cannot be read, writes FALSE and answers -1 without asking the DWM.
HRESULT CheckComposition(BOOL* enabled) noexcept;
// Extends the glass frame into the client area of wnd; -1 without a call on an older system.
HRESULT ExtendFrameIntoClient(HWND wnd, const MARGINS* margins) noexcept;

} // namespace platform
