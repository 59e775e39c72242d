#pragma once
// Entry points of the system libraries that only some commands need, listed in one place. A library is
// loaded, and every entry point on its list bound, the first time the program asks for that library, so
// start-up loads none of them that it does not use; where a library or an export is missing the pointer
// is null and its user falls back. Each member has the name of the export it holds. Every one of them is
// loaded from the system folder by its full path, never by its bare name: a DLL of that name lying beside
// the program (a download folder) is never the one loaded.

#include <windows.h>
#include <commdlg.h>
#include <dwmapi.h>
#include <objbase.h>
#include <objidl.h>
#include <shlwapi.h>
#include <uxtheme.h>
#include <winver.h>

namespace platform {

// Restricts the DLLs the process loads by name, its libraries' loads included, to the system folder, on
// every system that can (Windows 8, and Windows 7 with its 2011 update): called first at start-up.
void RestrictDllSearch() noexcept;

// True on systems of major version 6 or later, the one version gate of the program: only they are asked
// for window-manager attributes and glass and shown the new-style save dialog. The version is read once;
// a failed read counts as an older system and is tried again at the next call.
bool SystemIsVersion6OrLater() noexcept;

// The version text of Wine when the program runs under it (ntdll's wine_get_version), null on Windows.
// Asked only where Wine behaves otherwise than Windows, to work around that there alone.
const char* WineVersion() noexcept;

// GDI+'s flat interface, declared here with only what the program encodes with (its own headers bring C++
// classes).
namespace gdiplus {
using Status = int;
using Image = void;
struct StartupInput {
    UINT32 version = 1;
    void* debugCallback = nullptr;
    BOOL suppressBackgroundThread = FALSE;
    BOOL suppressExternalCodecs = FALSE;
};
struct ImageCodecInfo {
    CLSID clsid;
    GUID formatId;
    const WCHAR* codecName;
    const WCHAR* dllName;
    const WCHAR* formatDescription;
    const WCHAR* filenameExtension;
    const WCHAR* mimeType;
    DWORD flags;
    DWORD version;
    DWORD sigCount;
    DWORD sigSize;
    const BYTE* sigPattern;
    const BYTE* sigMask;
};
// An encoder's setting: one parameter of NumberOfValues values of the given type.
struct EncoderParameter {
    GUID guid;
    ULONG numberOfValues;
    ULONG type;
    void* value;
};
struct EncoderParameters {
    UINT count;
    EncoderParameter parameter[1];
};
constexpr ULONG kEncoderParameterValueTypeLong = 4;
// EncoderQuality, of the JPEG encoder: one LONG from 0 to 100.
constexpr GUID kEncoderQuality = {
    0x1d5be4b5, 0xfa4a, 0x452d, {0x9c, 0xdd, 0x5d, 0xb3, 0x51, 0x05, 0xe7, 0xeb}};

// Signatures only: these are reached through GdiplusDll, never linked.
Status WINAPI GdiplusStartup(ULONG_PTR* token, const StartupInput* input, void* output);
void WINAPI GdiplusShutdown(ULONG_PTR token);
Status WINAPI GdipGetImageEncodersSize(UINT* count, UINT* bytes);
Status WINAPI GdipGetImageEncoders(UINT count, UINT bytes, ImageCodecInfo* encoders);
Status WINAPI GdipCreateBitmapFromHBITMAP(HBITMAP bitmap, HPALETTE palette, Image** image);
Status WINAPI GdipSaveImageToStream(Image* image, IStream* stream, const CLSID* encoder,
                                    const EncoderParameters* parameters);
Status WINAPI GdipDisposeImage(Image* image);
} // namespace gdiplus

// The display-scale entry points of Windows 8.1 and 10, declared here because the headers for Windows 7 leave
// them out. Enumerations are passed as the ints they are.
namespace display {
UINT WINAPI GetDpiForWindow(HWND window);
BOOL WINAPI AdjustWindowRectExForDpi(RECT* rect, DWORD style, BOOL menu, DWORD exStyle, UINT dpi);
int WINAPI GetSystemMetricsForDpi(int index, UINT dpi);
BOOL WINAPI SystemParametersInfoForDpi(UINT action, UINT param, void* data, UINT winIni, UINT dpi);
BOOL WINAPI SetDialogDpiChangeBehavior(HWND dialog, int mask, int values);
HRESULT WINAPI GetDpiForMonitor(HMONITOR monitor, int type, UINT* dpiX, UINT* dpiY);
constexpr int kDialogDpiChangeDisableAll = 0x0001; // DDC_DISABLE_ALL
constexpr int kEffectiveDpi = 0;                   // MDT_EFFECTIVE_DPI
} // namespace display

// The lists: X(export) for every entry point the program uses, library by library.
// clang-format off
#define VANTREL_DWMAPI_EXPORTS(X) \
    X(DwmIsCompositionEnabled) X(DwmExtendFrameIntoClientArea) X(DwmGetWindowAttribute) \
    X(DwmSetWindowAttribute) X(DwmFlush)
#define VANTREL_GDIPLUS_EXPORTS(X) \
    X(GdiplusStartup) X(GdiplusShutdown) \
    X(GdipGetImageEncodersSize) X(GdipGetImageEncoders) \
    X(GdipCreateBitmapFromHBITMAP) \
    X(GdipSaveImageToStream) X(GdipDisposeImage)
#define VANTREL_VERSION_EXPORTS(X) \
    X(GetFileVersionInfoSizeW) X(GetFileVersionInfoW) X(VerQueryValueW)
#define VANTREL_OLE32_EXPORTS(X) \
    X(CoInitializeEx) X(CoUninitialize) X(CoCreateInstance) X(CoTaskMemFree)
#define VANTREL_COMDLG32_EXPORTS(X) \
    X(GetSaveFileNameW)
#define VANTREL_SHLWAPI_EXPORTS(X) \
    X(SHCreateStreamOnFileEx)
#define VANTREL_USER32_EXPORTS(X) \
    X(GetDpiForWindow) X(AdjustWindowRectExForDpi) X(GetSystemMetricsForDpi) X(SystemParametersInfoForDpi) \
    X(SetDialogDpiChangeBehavior)
#define VANTREL_SHCORE_EXPORTS(X) \
    X(GetDpiForMonitor)
#define VANTREL_UXTHEME_EXPORTS(X) \
    X(BufferedPaintInit) X(BufferedPaintUnInit) X(BeginBufferedPaint) X(EndBufferedPaint) \
    X(GetBufferedPaintBits) X(BufferedPaintSetAlpha) \
    X(OpenThemeData) X(CloseThemeData) X(DrawThemeTextEx) X(GetThemeColor)
// clang-format on

// One record per library: a pointer named after each export on its list, and whether all were found.
#define VANTREL_SYSTEM_POINTER(name) decltype(&::name) name = nullptr;
#define VANTREL_GDIPLUS_POINTER(name) decltype(&gdiplus::name) name = nullptr;
#define VANTREL_DISPLAY_POINTER(name) decltype(&display::name) name = nullptr;
#define VANTREL_AND_BOUND(name) &&name
#define VANTREL_LIBRARY_RECORD(Dll, POINTER, EXPORTS)                                                        \
    struct Dll {                                                                                             \
        EXPORTS(POINTER)                                                                                     \
        bool Complete() const noexcept { return true EXPORTS(VANTREL_AND_BOUND); }                           \
    };

VANTREL_LIBRARY_RECORD(DwmapiDll, VANTREL_SYSTEM_POINTER, VANTREL_DWMAPI_EXPORTS)
VANTREL_LIBRARY_RECORD(GdiplusDll, VANTREL_GDIPLUS_POINTER, VANTREL_GDIPLUS_EXPORTS)
VANTREL_LIBRARY_RECORD(VersionDll, VANTREL_SYSTEM_POINTER, VANTREL_VERSION_EXPORTS)
VANTREL_LIBRARY_RECORD(Ole32Dll, VANTREL_SYSTEM_POINTER, VANTREL_OLE32_EXPORTS)
VANTREL_LIBRARY_RECORD(Comdlg32Dll, VANTREL_SYSTEM_POINTER, VANTREL_COMDLG32_EXPORTS)
VANTREL_LIBRARY_RECORD(ShlwapiDll, VANTREL_SYSTEM_POINTER, VANTREL_SHLWAPI_EXPORTS)
VANTREL_LIBRARY_RECORD(User32Dll, VANTREL_DISPLAY_POINTER, VANTREL_USER32_EXPORTS)
VANTREL_LIBRARY_RECORD(ShcoreDll, VANTREL_DISPLAY_POINTER, VANTREL_SHCORE_EXPORTS)
VANTREL_LIBRARY_RECORD(UxthemeDll, VANTREL_SYSTEM_POINTER, VANTREL_UXTHEME_EXPORTS)

#undef VANTREL_LIBRARY_RECORD
#undef VANTREL_SYSTEM_POINTER
#undef VANTREL_GDIPLUS_POINTER
#undef VANTREL_DISPLAY_POINTER
#undef VANTREL_AND_BOUND

// Each library, bound on the first call; the same record for the life of the process.
const DwmapiDll& BoundDwmapi() noexcept;
const GdiplusDll& BoundGdiplus() noexcept;
const VersionDll& BoundVersion() noexcept;
const Ole32Dll& BoundOle32() noexcept;
const Comdlg32Dll& BoundComdlg32() noexcept;
const ShlwapiDll& BoundShlwapi() noexcept;
// user32 is loaded in every process; only its exports newer than Windows 7 are on its list.
const User32Dll& BoundUser32() noexcept;
const ShcoreDll& BoundShcore() noexcept;
// Visual styles: buffered painting and themed text, which only the glass look uses.
const UxthemeDll& BoundUxtheme() noexcept;

} // namespace platform
