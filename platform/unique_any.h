#pragma once
// The one owner template for handles: one owner per handle, movable, never copied, closed exactly once.
// Free of Win32 so that its rules are tested natively; the owner types themselves are in unique_handle.h.

#include <utility>

namespace platform {

// The empty value of most handle types: the null handle.
template <typename Handle> struct NullIsEmpty {
    static constexpr Handle Value() noexcept { return Handle{}; }
};

// Owns a handle of type Handle and closes it with Close. Empty::Value() is the value meaning "no handle":
// it is never closed.
template <typename Handle, auto Close, typename Empty = NullIsEmpty<Handle>> class UniqueAny {
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
    explicit operator bool() const noexcept { return m_h != Empty::Value(); }

    // Hands the handle over to the caller, who now closes it.
    [[nodiscard]] Handle release() noexcept { return std::exchange(m_h, Empty::Value()); }

    void reset(Handle h = Empty::Value()) noexcept {
        Handle old = std::exchange(m_h, h);
        if (old != Empty::Value())
            Close(old);
    }

private:
    Handle m_h = Empty::Value();
};

} // namespace platform
