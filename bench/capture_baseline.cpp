// The baseline of the capture benchmark: a program that does nothing but copy a fixed rectangle of the
// screen into a compatible bitmap when asked, the same way and through the same kind of cross-process
// message as vantrel's Capture button is pressed.
//
//   bench_capture_baseline.exe X Y WIDTH HEIGHT
//
// It has one hidden top-level window (class VantrelBenchCaptureBaseline). WM_COMMAND IDC_CAPTURE copies
// the rectangle and keeps the bitmap, answering 1 on success and 0 on failure; IDC_CLEAR lets the bitmap go;
// WM_CLOSE ends the program.
#include "capture_blit.h"
#include "res/resource.h"
#include "tests/support/stopwatch.h"

#include <cwchar>

namespace {

constexpr wchar_t kClassName[] = L"VantrelBenchCaptureBaseline";

RECT g_area{};
HBITMAP g_held = nullptr;

void LetGo() {
    if (g_held)
        ::DeleteObject(g_held);
    g_held = nullptr;
}

LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wp) == IDC_CAPTURE) {
            LetGo();
            const support::Stopwatch copying;
            g_held = bench::CopyScreenArea(g_area.left, g_area.top, g_area.right - g_area.left,
                                           g_area.bottom - g_area.top);
            const LONGLONG us = static_cast<LONGLONG>(copying.seconds() * 1e6);
            if (!g_held)
                return 0;
            // The copy's own time in microseconds, at least 1.
            return static_cast<LRESULT>(us > 0 ? us : 1);
        }
        if (LOWORD(wp) == IDC_CLEAR) {
            LetGo();
            return 1;
        }
        break;
    case WM_CLOSE: ::DestroyWindow(wnd); return 0;
    case WM_DESTROY:
        LetGo();
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    int x = 0, y = 0, width = 0, height = 0;
    if (std::swscanf(commandLine, L"%d %d %d %d", &x, &y, &width, &height) != 4 || width <= 0 || height <= 0)
        return 2;
    g_area = RECT{x, y, x + width, y + height};

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    if (!::RegisterClassExW(&wc))
        return 1;
    // Never shown: it must not cover the area it copies.
    HWND wnd = ::CreateWindowExW(0, kClassName, L"Capture baseline", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                 nullptr, instance, nullptr);
    if (!wnd)
        return 1;

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
