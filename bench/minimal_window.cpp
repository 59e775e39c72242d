// The smallest sensible Win32 GUI program: one ordinary overlapped window with a caption and a message
// loop. It is the baseline the start-up benchmark holds vantrel.exe against.
#include <windows.h>

namespace {

constexpr wchar_t kClassName[] = L"VantrelBenchMinimalWindow";

LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CLOSE: ::DestroyWindow(wnd); return 0;
    case WM_DESTROY: ::PostQuitMessage(0); return 0;
    }
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    wc.hIconSm = wc.hIcon;
    if (!::RegisterClassExW(&wc))
        return 1;

    HWND wnd = ::CreateWindowExW(0, kClassName, L"Minimal window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                 CW_USEDEFAULT, 400, 300, nullptr, nullptr, instance, nullptr);
    if (!wnd)
        return 1;
    ::ShowWindow(wnd, show);
    ::UpdateWindow(wnd);

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
