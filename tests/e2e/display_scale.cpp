#include "tests/e2e/display_scale.h"

#include "platform/unique_handle.h"

#include "tests/e2e/report.h"
#include "tests/e2e/screen.h"
#include "tests/e2e/wait.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace e2e {

namespace {

// Where Wine reads the scale: the user's desktop settings and the machine's current hardware profile.
const HKEY kScaleRoots[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};
const wchar_t* const kScaleKeys[] = {
    L"Control Panel\\Desktop",
    L"System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts",
};

void setLogPixels(int dpi) {
    for (int i = 0; i < 2; ++i) {
        HKEY key = nullptr;
        check(RegCreateKeyExW(kScaleRoots[i], kScaleKeys[i], 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                              nullptr) == ERROR_SUCCESS,
              "cannot open the display scale's registry key");
        const DWORD value = static_cast<DWORD>(dpi);
        const LONG set = RegSetValueExW(key, L"LogPixels", 0, REG_DWORD,
                                        reinterpret_cast<const BYTE*>(&value), sizeof(value));
        RegCloseKey(key);
        check(set == ERROR_SUCCESS, "cannot set LogPixels");
    }
}

int logPixels() {
    DWORD value = 96, size = sizeof(value);
    if (RegGetValueW(kScaleRoots[0], kScaleKeys[0], L"LogPixels", RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return 96;
    return static_cast<int>(value);
}

template <class Fn> Fn user32Export(const char* name) {
    return reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

// The colour's distance from the background: ink where it is clear (smoothed edges fainter than this are
// left out).
bool isInk(uint32_t rgb, uint32_t background) {
    int worst = 0;
    for (int shift : {0, 8, 16}) {
        const int d =
            static_cast<int>((rgb >> shift) & 0xFF) - static_cast<int>((background >> shift) & 0xFF);
        worst = std::max(worst, d < 0 ? -d : d);
    }
    return worst > 96;
}

} // namespace

DisplayScale::DisplayScale(int dpi) {
    setLogPixels(dpi);
    sayKey("display_dpi", dpi);
}

DisplayScale::~DisplayScale() {
    try {
        setLogPixels(96);
    } catch (const CaseFailure& e) {
        noteCleanupFailure(std::string("the display scale was not set back to 96 dpi: ") + e.what());
    }
}

void resetDisplayScale() {
    if (logPixels() != 96) {
        sayKey("display_dpi_reset_from", logPixels());
        setLogPixels(96);
    }
}

void becomeDpiAware() {
    using SetContext = BOOL(WINAPI*)(HANDLE);
    if (const auto set = user32Export<SetContext>("SetProcessDpiAwarenessContext"))
        if (set(reinterpret_cast<HANDLE>(
                static_cast<INT_PTR>(-3)))) // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE
            return;
    SetProcessDPIAware();
}

bool perMonitorAware(HWND wnd) {
    using GetContext = HANDLE(WINAPI*)(HWND);
    using GetAwareness = int(WINAPI*)(HANDLE);
    const auto context = user32Export<GetContext>("GetWindowDpiAwarenessContext");
    const auto awareness = user32Export<GetAwareness>("GetAwarenessFromDpiAwarenessContext");
    if (!context || !awareness)
        skip("this system cannot say how a window is aware of the display scale");
    return awareness(context(wnd)) == 2; // DPI_AWARENESS_PER_MONITOR_AWARE
}

NONCLIENTMETRICSW nonClientMetricsAt(int dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    using ForDpi = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
    if (const auto forDpi = user32Export<ForDpi>("SystemParametersInfoForDpi")) {
        check(forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, static_cast<UINT>(dpi)),
              "cannot read the system's fonts at " + std::to_string(dpi) + " dpi");
        return metrics;
    }
    if (dpi != 96)
        skip("this system has no SystemParametersInfoForDpi");
    check(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0),
          "cannot read the system's fonts");
    return metrics;
}

RECT nonClientMargins(HWND wnd, int dpi) {
    using Adjust = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    const auto adjust = user32Export<Adjust>("AdjustWindowRectExForDpi");
    if (!adjust)
        skip("this system has no AdjustWindowRectExForDpi");
    RECT r{};
    check(adjust(&r, static_cast<DWORD>(GetWindowLongW(wnd, GWL_STYLE)), FALSE,
                 static_cast<DWORD>(GetWindowLongW(wnd, GWL_EXSTYLE)), static_cast<UINT>(dpi)),
          "AdjustWindowRectExForDpi failed");
    return RECT{-r.left, -r.top, r.right, r.bottom};
}

namespace {

// Sends msg with lParam pointing at `value` placed in the process's memory (a pointer is not carried across
// processes), waits until it is handled and reads `value` back; the answer is the message's result.
template <class T>
LRESULT sendWithValue(HANDLE process, HWND wnd, UINT msg, WPARAM wp, T& value, const std::string& what) {
    void* remote = VirtualAllocEx(process, nullptr, sizeof(T), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    check(remote != nullptr, "cannot place " + what + " in vantrel's memory");
    SIZE_T moved = 0;
    const bool placed = WriteProcessMemory(process, remote, &value, sizeof(T), &moved) && moved == sizeof(T);
    DWORD_PTR result = 0;
    const bool sent = placed && SendMessageTimeoutW(wnd, msg, wp, reinterpret_cast<LPARAM>(remote),
                                                    SMTO_ABORTIFHUNG, 10000, &result);
    const bool read =
        sent && ReadProcessMemory(process, remote, &value, sizeof(T), &moved) && moved == sizeof(T);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    check(placed, "cannot write " + what + " into vantrel's memory");
    check(sent, what + " was not handled within 10 s");
    check(read, "cannot read " + what + " back from vantrel's memory");
    return static_cast<LRESULT>(result);
}

} // namespace

void sendDpiChanged(HANDLE process, HWND wnd, int dpi, const RECT& suggested) {
    RECT rect = suggested;
    sendWithValue(process, wnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), rect,
                  "WM_DPICHANGED (" + std::to_string(dpi) + " dpi) and its suggested rectangle");
}

SIZE sendGetDpiScaledSize(HANDLE process, HWND wnd, int dpi, SIZE proposed) {
    constexpr UINT kGetDpiScaledSize = 0x02E4;
    const LRESULT answered = sendWithValue(process, wnd, kGetDpiScaledSize, static_cast<WPARAM>(dpi),
                                           proposed, "WM_GETDPISCALEDSIZE (" + std::to_string(dpi) + " dpi)");
    check(answered != FALSE, "WM_GETDPISCALEDSIZE was answered FALSE: the system's proposal would stand");
    return proposed;
}

namespace {

// How many of the text's ink pixels the screen shows at the best place inside the area, of how many.
std::pair<size_t, size_t> textInkShown(const RECT& area, const std::wstring& text, const LOGFONTW& font,
                                       uint32_t bg, POINT& at) {
    // The text alone, with room around it, as its control would draw it.
    const platform::UniqueFont hfont(CreateFontIndirectW(&font));
    SIZE extent{};
    {
        const platform::UniqueDc dc(CreateCompatibleDC(nullptr));
        const platform::SelectScope select(dc.get(), hfont.get());
        GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
    }
    const int pad = 4, w = extent.cx + 2 * pad, h = extent.cy + 2 * pad;
    const Pixels drawn = drawnPixels(w, h, [&](HDC into) {
        fillSolid(into, RECT{0, 0, w, h}, bg);
        const platform::SelectScope select(into, hfont.get());
        SetBkMode(into, TRANSPARENT);
        SetTextColor(into, GetSysColor(COLOR_BTNTEXT));
        TextOutW(into, pad, pad, text.c_str(), static_cast<int>(text.size()));
    });
    std::vector<POINT> ink;
    for (int y = 0; y < drawn.height; ++y)
        for (int x = 0; x < drawn.width; ++x)
            if (isInk(drawn.at(x, y), bg))
                ink.push_back(POINT{x - pad, y - pad});

    // The place inside the area where most of that ink is on the screen: the whole of it when the text is
    // shown whole, less when it is cut off.
    const Pixels screen = captureScreen(area);
    size_t best = 0;
    for (int dy = -extent.cy; dy < screen.height; ++dy)
        for (int dx = -extent.cx; dx < screen.width; ++dx) {
            size_t found = 0, missing = 0;
            for (const POINT& p : ink) {
                const int x = p.x + dx, y = p.y + dy;
                if (x >= 0 && y >= 0 && x < screen.width && y < screen.height && isInk(screen.at(x, y), bg))
                    ++found;
                else if (++missing + best >= ink.size())
                    break; // this place cannot beat the best one
            }
            if (found > best) {
                best = found;
                at = POINT{area.left + dx, area.top + dy};
            }
        }
    return {best, ink.size()};
}

} // namespace

void expectTextWhole(const std::string& what, const RECT& area, const std::wstring& text,
                     const LOGFONTW& font, COLORREF background) {
    const uint32_t bg = (GetRValue(background) << 16) | (GetGValue(background) << 8) | GetBValue(background);
    std::pair<size_t, size_t> shown{0, 0};
    POINT at{0, 0};
    waitFor(
        [&] {
            shown = textInkShown(area, text, font, bg, at);
            return shown.second > 0 && shown.first == shown.second;
        },
        3000, 200);
    sayKey((what + "_text").c_str(), quoted(text) + " at " + std::to_string(at.x) + "," +
                                         std::to_string(at.y) + " in " + rectText(area) + ": " +
                                         std::to_string(shown.first) + " of " + std::to_string(shown.second) +
                                         " ink pixels");
    check(shown.second > 0, what + ": the text " + quoted(text) + " has no ink in its font");
    check(shown.first == shown.second,
          what + ": " + quoted(text) + " is cut off in its control " + rectText(area));
}

} // namespace e2e
