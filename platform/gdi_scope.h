#pragma once
// Scope guards that undo what they did: a selected object is put back, a window DC released, painting ended.

#include <windows.h>

namespace platform {

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
