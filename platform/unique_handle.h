#pragma once
// Every owner of a Win32 handle, one `using` line each on the one owner template, and the scope guards that
// undo what they did (a selected object put back, a window DC released, painting ended).

#include "platform/unique_any.h"

#include <windows.h>
#include <objidl.h>

#include <memory>

namespace platform {

namespace detail {
inline void DeleteGdiObject(HGDIOBJ h) noexcept {
    ::DeleteObject(h);
}
inline void DeleteMemoryDc(HDC h) noexcept {
    ::DeleteDC(h);
}
inline void CloseKernelHandle(HANDLE h) noexcept {
    ::CloseHandle(h);
}
inline void FreeLocal(HLOCAL h) noexcept {
    ::LocalFree(h);
}
inline void FreeGlobal(HGLOBAL h) noexcept {
    ::GlobalFree(h);
}
inline void CloseRegKey(HKEY h) noexcept {
    ::RegCloseKey(h);
}
template <typename Interface> void ReleaseInterface(Interface* object) noexcept {
    object->Release();
}
// CreateFile and its kin answer INVALID_HANDLE_VALUE, not null, for no file.
struct InvalidHandleIsEmpty {
    static HANDLE Value() noexcept { return INVALID_HANDLE_VALUE; }
};
} // namespace detail

using UniqueBitmap = UniqueAny<HBITMAP, detail::DeleteGdiObject>;
using UniqueBrush = UniqueAny<HBRUSH, detail::DeleteGdiObject>;
using UniqueFont = UniqueAny<HFONT, detail::DeleteGdiObject>;
using UniqueRegion = UniqueAny<HRGN, detail::DeleteGdiObject>;
using UniqueDc = UniqueAny<HDC, detail::DeleteMemoryDc>; // from CreateCompatibleDC
using UniqueLocal = UniqueAny<HLOCAL, detail::FreeLocal>;
using UniqueGlobal = UniqueAny<HGLOBAL, detail::FreeGlobal>; // from GlobalAlloc, until the clipboard takes it
using UniqueRegKey = UniqueAny<HKEY, detail::CloseRegKey>;
// A COM interface pointer, released once.
template <typename Interface> using UniqueCom = UniqueAny<Interface*, detail::ReleaseInterface<Interface>>;
using UniqueStream = UniqueCom<IStream>;
// Kernel objects whose creation answers null on failure (events, processes, threads).
using UniqueHandle = UniqueAny<HANDLE, detail::CloseKernelHandle>;
// Files, whose opening answers INVALID_HANDLE_VALUE on failure.
using UniqueFile = UniqueAny<HANDLE, detail::CloseKernelHandle, detail::InvalidHandleIsEmpty>;

// A bitmap nobody changes once it is made, held by several parties at once (the panel's picture, and the
// clipboard's promise of formats made from it): one UniqueBitmap owns the handle and is deleted with the
// last holder. Copying adds a holder.
class SharedBitmap {
public:
    SharedBitmap() = default;
    SharedBitmap(UniqueBitmap&& bitmap)
        : m_owner(bitmap ? std::make_shared<const UniqueBitmap>(std::move(bitmap)) : nullptr) {}

    HBITMAP get() const noexcept { return m_owner ? m_owner->get() : nullptr; }
    explicit operator bool() const noexcept { return get() != nullptr; }
    // This holder lets go; the bitmap stays while other holders keep it.
    void reset() noexcept { m_owner.reset(); }

private:
    std::shared_ptr<const UniqueBitmap> m_owner;
};

// Selects an object into a DC and selects the previous one back on scope exit.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ obj) noexcept : m_dc(dc), m_old(::SelectObject(dc, obj)) {}
    ~SelectScope() {
        if (m_old && m_old != HGDI_ERROR)
            ::SelectObject(m_dc, m_old);
    }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// GetDC / ReleaseDC against the same window.
class WindowDcScope {
public:
    explicit WindowDcScope(HWND wnd) noexcept : m_wnd(wnd), m_dc(::GetDC(wnd)) {}
    ~WindowDcScope() {
        if (m_dc)
            ::ReleaseDC(m_wnd, m_dc);
    }
    WindowDcScope(const WindowDcScope&) = delete;
    WindowDcScope& operator=(const WindowDcScope&) = delete;
    HDC get() const noexcept { return m_dc; }

private:
    HWND m_wnd;
    HDC m_dc;
};

// BeginPaint / EndPaint for one WM_PAINT.
class PaintScope {
public:
    explicit PaintScope(HWND wnd) noexcept : m_wnd(wnd) { ::BeginPaint(wnd, &m_ps); }
    ~PaintScope() { ::EndPaint(m_wnd, &m_ps); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const noexcept { return m_ps.hdc; }

private:
    HWND m_wnd;
    PAINTSTRUCT m_ps{};
};

} // namespace platform
