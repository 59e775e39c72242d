// Windows of the driver's own that stand in for another program's: a pattern to look at, a program that
// opens a menu, a program that holds the clipboard.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace e2e {

// Registers className for proc (a second registration fails harmlessly) and makes a window of it at rect
// (screen coordinates, or HWND_MESSAGE as parent) whose GWLP_USERDATA holds userData before any message
// that the procedure acts on. Null when the window cannot be made.
HWND makeDriverWindow(const wchar_t* className, WNDPROC proc, DWORD exStyle, DWORD style, const RECT& rect,
                      HWND parent, LONG_PTR userData, HBRUSH background = nullptr);

// A window of the driver on a thread of its own that pumps its messages, as another program's window does.
// `make` runs on that thread and returns the window as it should be shown, or null: the case then fails with
// `what`, the thread already ended. The window is closed and its thread joined as this ends, so declare it
// after everything `make` and the window's procedure use.
class WindowThread {
public:
    WindowThread(const std::function<HWND()>& make, const std::string& what);
    ~WindowThread();
    WindowThread(const WindowThread&) = delete;
    WindowThread& operator=(const WindowThread&) = delete;
    HWND hwnd() const { return hwnd_; }

private:
    std::atomic<HWND> hwnd_{nullptr};
    std::atomic<DWORD> threadId_{0};
    std::atomic<bool> made_{false};
    std::thread thread_;
};

} // namespace e2e
