#pragma once
// Owners for Win32 handles: one owner per handle, movable, never copied, closed exactly once.

#include <windows.h>

#include <utility>

namespace platform {

// Owns a handle of type Handle and closes it with Close. Invalid is the value meaning "no handle".
template <typename Handle, auto Close, Handle Invalid = Handle{}> class UniqueAny {
public:
    UniqueAny() = default;
    explicit UniqueAny(Handle h) noexcept : m_h(h) {}
    ~UniqueAny() { reset(); }

    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    UniqueAny(UniqueAny&& other) noexcept : m_h(other.release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    Handle get() const noexcept { return m_h; }
    explicit operator bool() const noexcept { return m_h != Invalid; }

    // Hands the handle over to the caller, who now closes it.
    [[nodiscard]] Handle release() noexcept { return std::exchange(m_h, Invalid); }

    void reset(Handle h = Invalid) noexcept {
        Handle old = std::exchange(m_h, h);
        if (old != Invalid)
            Close(old);
    }

private:
    Handle m_h = Invalid;
};

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
} // namespace detail

using UniqueBitmap = UniqueAny<HBITMAP, detail::DeleteGdiObject>;
using UniqueBrush = UniqueAny<HBRUSH, detail::DeleteGdiObject>;
using UniqueFont = UniqueAny<HFONT, detail::DeleteGdiObject>;
using UniqueDc = UniqueAny<HDC, detail::DeleteMemoryDc>; // from CreateCompatibleDC
using UniqueHandle = UniqueAny<HANDLE, detail::CloseKernelHandle>;
using UniqueLocal = UniqueAny<HLOCAL, detail::FreeLocal>;

} // namespace platform
