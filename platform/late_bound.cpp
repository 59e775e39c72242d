#include "platform/late_bound.h"

#include <string>

namespace platform {

namespace {

// LOAD_LIBRARY_SEARCH_SYSTEM32, which the headers for Windows 7 leave out.
constexpr DWORD kSearchSystem32 = 0x00000800;

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

// kernel32's SetDefaultDllDirectories, where the system has it (also the sign that LoadLibraryExW takes the
// search flags); kernel32 is in every process, so asking for it loads nothing.
SetDefaultDllDirectoriesFn SetDefaultDllDirectoriesEntry() noexcept {
    static const auto fn = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    return fn;
}

// The system's version as the gate read it.
OSVERSIONINFOW g_osVersion{};
bool g_bOsVersionKnown = false;

// The system's library of this name, loaded from the system folder by its full path, and its own imports
// from there too; it stays for the life of the process. A bare name would not do even with the search
// restricted: a module already loaded under that name (a copy some other library loaded from the program's
// folder) is what a load by the bare name answers.
HMODULE LoadSystemLibrary(const wchar_t* name) noexcept {
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    std::wstring path(folder, length);
    path += L'\\';
    path += name;
    // Where the search flags are unknown (Windows 7 without its update), the library's imports are looked
    // for in its own folder first.
    return ::LoadLibraryExW(path.c_str(), nullptr,
                            SetDefaultDllDirectoriesEntry() ? kSearchSystem32
                                                            : LOAD_WITH_ALTERED_SEARCH_PATH);
}

template <typename Fn> void BindExport(HMODULE module, Fn& fn, const char* name) noexcept {
    fn = module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

} // namespace

void RestrictDllSearch() noexcept {
    if (const auto fn = SetDefaultDllDirectoriesEntry())
        fn(kSearchSystem32);
}

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
            const HMODULE module = LoadSystemLibrary(file);                                                  \
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
VANTREL_BOUND_LIBRARY(BoundUxtheme, UxthemeDll, L"uxtheme.dll", VANTREL_UXTHEME_EXPORTS)

#undef VANTREL_BOUND_LIBRARY
#undef VANTREL_BIND

} // namespace platform
