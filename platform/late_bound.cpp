#include "platform/late_bound.h"

namespace platform {

namespace {

// The system's version as the gate read it.
OSVERSIONINFOW g_osVersion{};
bool g_bOsVersionKnown = false;

// Where the library is already loaded its handle is taken as it is; otherwise it is loaded and stays
// for the life of the process. Loaded by name, so the usual search order applies.
HMODULE LoadLibraryOnce(const wchar_t* name) noexcept {
    HMODULE module = ::GetModuleHandleW(name);
    return module ? module : ::LoadLibraryW(name);
}

template <typename Fn> void BindExport(HMODULE module, Fn& fn, const char* name) noexcept {
    fn = module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

} // namespace

bool SystemIsVersion6OrLater() noexcept {
    if (!g_bOsVersionKnown) {
        g_osVersion = OSVERSIONINFOW{};
        g_osVersion.dwOSVersionInfoSize = sizeof(g_osVersion);
        g_bOsVersionKnown = ::GetVersionExW(&g_osVersion) == TRUE;
    }
    return g_bOsVersionKnown && g_osVersion.dwMajorVersion >= 6;
}

const char* WineVersion() noexcept {
    // ntdll is in every process from its start: asking it loads nothing.
    static const char* const version = [] {
        using GetVersionFn = const char*(CDECL*)();
        const auto fn = reinterpret_cast<GetVersionFn>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version")));
        return fn ? fn() : nullptr;
    }();
    return version;
}

#define VANTREL_BIND(name) BindExport(module, dll.name, #name);
#define VANTREL_BOUND_LIBRARY(Function, Dll, file, EXPORTS)                                                  \
    const Dll& Function() noexcept {                                                                         \
        static const Dll bound = [] {                                                                        \
            Dll dll;                                                                                         \
            const HMODULE module = LoadLibraryOnce(file);                                                    \
            EXPORTS(VANTREL_BIND)                                                                            \
            return dll;                                                                                      \
        }();                                                                                                 \
        return bound;                                                                                        \
    }

VANTREL_BOUND_LIBRARY(BoundDwmapi, DwmapiDll, L"dwmapi.dll", VANTREL_DWMAPI_EXPORTS)
VANTREL_BOUND_LIBRARY(BoundGdiplus, GdiplusDll, L"gdiplus.dll", VANTREL_GDIPLUS_EXPORTS)
VANTREL_BOUND_LIBRARY(BoundVersion, VersionDll, L"version.dll", VANTREL_VERSION_EXPORTS)
VANTREL_BOUND_LIBRARY(BoundOle32, Ole32Dll, L"ole32.dll", VANTREL_OLE32_EXPORTS)
VANTREL_BOUND_LIBRARY(BoundComdlg32, Comdlg32Dll, L"comdlg32.dll", VANTREL_COMDLG32_EXPORTS)
VANTREL_BOUND_LIBRARY(BoundShlwapi, ShlwapiDll, L"shlwapi.dll", VANTREL_SHLWAPI_EXPORTS)
VANTREL_BOUND_LIBRARY(BoundUser32, User32Dll, L"user32.dll", VANTREL_USER32_EXPORTS)
VANTREL_BOUND_LIBRARY(BoundShcore, ShcoreDll, L"shcore.dll", VANTREL_SHCORE_EXPORTS)

#undef VANTREL_BOUND_LIBRARY
#undef VANTREL_BIND

} // namespace platform
