// Stand-in for the window manager's library, loaded by a test's copy of vantrel instead of the system's.
// It reports composition as the test sets it, records every call, and copies a window's pixels (alpha
// included) to a file when the test asks: an X server has no alpha, so a screenshot cannot show it. It
// also counts the process's live GDI objects, which Wine's GetGuiResources does not, and reads a window's
// window menu, which Wine lets no other process read.
// The files, the class and the messages are described in standin_protocol.h.
#include "tests/e2e/dwm_standin/standin_protocol.h"
#include "tests/support/dib.h"

#include "platform/dib.h"
#include "platform/unique_handle.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

namespace {

// The library's margins structure, declared here: the system header would declare the exports as imports.
struct Margins {
    int left, right, top, bottom;
};

// The folder the test named, or empty when the copy runs without one.
const std::wstring& folder() {
    static const std::wstring path = [] {
        wchar_t buf[MAX_PATH * 2];
        DWORD n = GetEnvironmentVariableW(dwm_standin::kFolderVariable, buf, MAX_PATH * 2);
        return n > 0 && n < MAX_PATH * 2 ? std::wstring(buf, n) : std::wstring();
    }();
    return path;
}

std::wstring inFolder(const wchar_t* name) {
    std::wstring path = folder();
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/')
        path += L'\\';
    return path + name;
}

std::string readSmallFile(const std::wstring& path) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    char buf[64];
    DWORD got = 0;
    std::string text;
    if (ReadFile(file, buf, sizeof buf, &got, nullptr))
        text.assign(buf, got);
    CloseHandle(file);
    return text;
}

bool writeWholeFile(const std::wstring& path, const void* data, DWORD size) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, data, size, &written, nullptr) && written == size;
    CloseHandle(file);
    return ok;
}

bool compositionOn() {
    if (folder().empty())
        return false;
    std::string text = readSmallFile(inFolder(dwm_standin::kCompositionFile));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text == "on";
}

void logLine(const std::string& line) {
    if (folder().empty())
        return;
    HANDLE file = CreateFileW(inFolder(dwm_standin::kLogFile).c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

std::string handleText(HWND hwnd) {
    char buf[32];
    snprintf(buf, sizeof buf, "0x%llX", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(hwnd)));
    return buf;
}

// ---------------------------------------------------------------- pixel service

bool copyPixels(HWND target) {
    RECT rc{};
    if (!IsWindow(target) || !GetClientRect(target, &rc) || rc.right <= 0 || rc.bottom <= 0)
        return false;
    const int width = rc.right, height = rc.bottom;
    const platform::WindowDcScope source(target);
    if (!source.get())
        return false;
    std::uint32_t* bits = nullptr;
    const platform::UniqueBitmap dib = platform::CreateTopDownDib(source.get(), width, height, &bits);
    const platform::UniqueDc memory(CreateCompatibleDC(source.get()));
    if (!dib || !memory)
        return false;
    {
        const platform::SelectScope select(memory.get(), dib.get());
        if (!BitBlt(memory.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY))
            return false;
        GdiFlush();
    }
    const size_t bytes = static_cast<size_t>(width) * height * 4;
    std::vector<unsigned char> file(8 + bytes);
    const int32_t size[2] = {width, height};
    memcpy(file.data(), size, sizeof size);
    memcpy(file.data() + 8, bits, bytes);
    return writeWholeFile(inFolder(dwm_standin::kPixelsFile), file.data(), static_cast<DWORD>(file.size()));
}

// ---------------------------------------------------------------- GDI objects

// Wine keeps the GDI objects of a process in one table of 65536 slots. A handle's low 16 bits name its
// slot and its high 16 bits the slot's current generation, and GetObjectType takes a high word of zero
// for any generation. Asking it about each slot number alone therefore finds every live object once,
// whichever thread made it, stock objects included; a free slot answers 0. (Windows checks the
// generation: there this count finds nothing.)
constexpr unsigned kHandleSlots = 0x10000;

struct GdiCounts {
    long total = 0;
    long kind[OBJ_COLORSPACE + 1] = {}; // by OBJ_ value
    bool operator==(const GdiCounts& other) const {
        return total == other.total && std::equal(std::begin(kind), std::end(kind), std::begin(other.kind));
    }
};

DWORD kindAtSlot(unsigned slot) {
    return GetObjectType(reinterpret_cast<HGDIOBJ>(static_cast<ULONG_PTR>(slot)));
}

GdiCounts countGdiObjects() {
    GdiCounts counts;
    for (unsigned slot = 1; slot < kHandleSlots; ++slot) {
        const DWORD kind = kindAtSlot(slot);
        if (kind == 0)
            continue;
        ++counts.total;
        if (kind < std::size(counts.kind))
            ++counts.kind[kind];
    }
    return counts;
}

// Makes one object of each common kind, counts, frees them and counts again (see kCheckGdiCount).
bool checkCountOnce() {
    const GdiCounts before = countGdiObjects();

    const LOGBRUSH solid{BS_SOLID, RGB(1, 2, 3), 0};
    const BITMAPINFO info = support::topDownInfo(2, 2);
    void* bits = nullptr;
    struct {
        LOGPALETTE head;
        PALETTEENTRY more[1];
    } palette{{0x300, 1, {{1, 2, 3, 0}}}, {}};
    struct Made {
        HGDIOBJ handle;
        DWORD kind;
    };
    const Made made[] = {
        {CreatePen(PS_SOLID, 1, RGB(1, 2, 3)), OBJ_PEN},
        {ExtCreatePen(PS_GEOMETRIC | PS_SOLID, 2, &solid, 0, nullptr), OBJ_EXTPEN},
        {CreateSolidBrush(RGB(1, 2, 3)), OBJ_BRUSH},
        {CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma"),
         OBJ_FONT},
        {CreateBitmap(2, 2, 1, 32, nullptr), OBJ_BITMAP},
        {CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), OBJ_BITMAP},
        {CreateRectRgn(0, 0, 2, 2), OBJ_REGION},
        {CreatePalette(&palette.head), OBJ_PAL},
        {CreateCompatibleDC(nullptr), OBJ_MEMDC},
        {CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr), OBJ_DC},
    };

    bool ok = true;
    GdiCounts want = before;
    for (const Made& m : made) {
        ok = ok && m.handle && GetObjectType(m.handle) == m.kind &&
             kindAtSlot(LOWORD(reinterpret_cast<ULONG_PTR>(m.handle))) == m.kind;
        ++want.total;
        ++want.kind[m.kind];
    }
    ok = ok && countGdiObjects() == want;

    for (const Made& m : made) {
        if (!m.handle)
            continue;
        if (m.kind == OBJ_MEMDC || m.kind == OBJ_DC)
            DeleteDC(static_cast<HDC>(m.handle));
        else
            DeleteObject(m.handle);
    }
    return ok && countGdiObjects() == before;
}

bool checkCount() {
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (checkCountOnce())
            return true;
        Sleep(50);
    }
    return false;
}

// Writes the window's window menu to the menu file (see kReadWindowMenu).
LRESULT readWindowMenu(HWND target) {
    HMENU menu = GetSystemMenu(target, FALSE);
    if (!menu)
        return -1;
    const int count = GetMenuItemCount(menu);
    std::string lines;
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = L"";
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = 255;
        if (!GetMenuItemInfoW(menu, i, TRUE, &item))
            return -1;
        char utf8[1024] = "";
        WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
        lines += std::to_string(item.wID) + "\t" + std::to_string(item.fType) + "\t" +
                 std::to_string(item.fState) + "\t" + utf8 + "\n";
    }
    return writeWholeFile(inFolder(dwm_standin::kMenuFile), lines.data(), static_cast<DWORD>(lines.size()))
               ? count
               : -1;
}

LRESULT CALLBACK serviceProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == dwm_standin::kCopyPixels)
        return copyPixels(reinterpret_cast<HWND>(wp)) ? 1 : 0;
    if (msg == dwm_standin::kCountGdiObjects) {
        const GdiCounts counts = countGdiObjects();
        if (lp == 0)
            return counts.total;
        return lp > 0 && static_cast<size_t>(lp) < std::size(counts.kind) ? counts.kind[lp] : 0;
    }
    if (msg == dwm_standin::kCheckGdiCount)
        return checkCount() ? 1 : 0;
    if (msg == dwm_standin::kReadWindowMenu)
        return readWindowMenu(reinterpret_cast<HWND>(wp));
    return DefWindowProcW(hwnd, msg, wp, lp);
}

DWORD WINAPI serviceThread(void* module) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = serviceProc;
    wc.hInstance = static_cast<HINSTANCE>(module);
    wc.lpszClassName = dwm_standin::kServiceClass;
    if (!RegisterClassW(&wc))
        return 1;
    if (!CreateWindowExW(0, dwm_standin::kServiceClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         wc.hInstance, nullptr))
        return 1;
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0)
        DispatchMessageW(&m);
    return 0;
}

// Starts the service once, from the first call (never from DllMain, where no thread may be waited for).
void startService() {
    static LONG started = 0;
    if (folder().empty() || InterlockedExchange(&started, 1) != 0)
        return;
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&startService), &self);
    if (HANDLE thread = CreateThread(nullptr, 0, serviceThread, self, 0, nullptr))
        CloseHandle(thread);
}

} // namespace

extern "C" {

HRESULT WINAPI DwmIsCompositionEnabled(BOOL* enabled) {
    startService();
    if (!enabled)
        return E_INVALIDARG;
    *enabled = compositionOn() ? TRUE : FALSE;
    logLine("DwmIsCompositionEnabled enabled=" + std::to_string(*enabled));
    return S_OK;
}

HRESULT WINAPI DwmExtendFrameIntoClientArea(HWND hwnd, const Margins* margins) {
    startService();
    std::string line = "DwmExtendFrameIntoClientArea hwnd=" + handleText(hwnd) + " margins=";
    line += margins ? std::to_string(margins->left) + "," + std::to_string(margins->right) + "," +
                          std::to_string(margins->top) + "," + std::to_string(margins->bottom)
                    : "null";
    logLine(line);
    return margins ? S_OK : E_INVALIDARG;
}

HRESULT WINAPI DwmGetWindowAttribute(HWND hwnd, DWORD attribute, void*, DWORD) {
    startService();
    logLine("DwmGetWindowAttribute hwnd=" + handleText(hwnd) + " attribute=" + std::to_string(attribute));
    return E_NOTIMPL;
}

HRESULT WINAPI DwmSetWindowAttribute(HWND hwnd, DWORD attribute, const void* value, DWORD size) {
    startService();
    std::string line =
        "DwmSetWindowAttribute hwnd=" + handleText(hwnd) + " attribute=" + std::to_string(attribute);
    if (value && size == sizeof(DWORD))
        line += " value=" + std::to_string(*static_cast<const DWORD*>(value));
    else
        line += " size=" + std::to_string(size);
    logLine(line);
    return value ? S_OK : E_INVALIDARG;
}

// Records the windows of the calling thread that are still visible as the program waits for the screen.
HRESULT WINAPI DwmFlush() {
    startService();
    std::string visible;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM list) {
            if (IsWindowVisible(hwnd)) {
                char name[64] = "";
                GetClassNameA(hwnd, name, sizeof name);
                std::string& text = *reinterpret_cast<std::string*>(list);
                text += (text.empty() ? "" : ",") + std::string(name);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&visible));
    logLine("DwmFlush visible=" + visible);
    return S_OK;
}

} // extern "C"
