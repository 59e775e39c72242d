#include "tests/e2e/driver_window.h"

#include "tests/e2e/report.h"

namespace e2e {

HWND makeDriverWindow(const wchar_t* className, WNDPROC proc, DWORD exStyle, DWORD style, const RECT& rect,
                      HWND parent, LONG_PTR userData, HBRUSH background) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    RegisterClassW(&wc);
    HWND wnd = CreateWindowExW(exStyle, className, L"", style, rect.left, rect.top, rect.right - rect.left,
                               rect.bottom - rect.top, parent, nullptr, wc.hInstance, nullptr);
    if (wnd)
        SetWindowLongPtrW(wnd, GWLP_USERDATA, userData);
    return wnd;
}

WindowThread::WindowThread(const std::function<HWND()>& make, const std::string& what) {
    thread_ = std::thread([this, make] {
        threadId_ = GetCurrentThreadId();
        HWND wnd = make();
        hwnd_ = wnd;
        made_ = true;
        MSG m;
        while (wnd && GetMessageW(&m, nullptr, 0, 0) > 0) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    });
    // `make` only registers a class and makes a window, so the wait is short; a hang would end in the
    // case's time-out.
    while (!made_)
        Sleep(10);
    if (!hwnd_) {
        // The thread ends before the case fails: a thread left running would end the driver unreported.
        thread_.join();
        fail(what);
    }
}

// The window closes by its default handling of WM_CLOSE; the quit that follows it ends the loop, also when
// a loop of the window's own (a menu's) is running.
WindowThread::~WindowThread() {
    PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
}

} // namespace e2e
