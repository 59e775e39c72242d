#pragma once
// Entry points of system libraries bound on first use, so that start-up does not load libraries that
// only some commands need, and the program still starts where one is missing.

#include <windows.h>

namespace platform {

// The named export of a system library, loaded on first use and kept for the life of the process;
// nullptr when the library or the export is missing.
template <typename Fn> Fn LateBound(const wchar_t* library, const char* name) noexcept {
    HMODULE module = ::GetModuleHandleW(library);
    if (!module)
        module = ::LoadLibraryW(library);
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

} // namespace platform
