// A window of the driver's that stands for the program a user works in while pressing a hotkey: it has the
// foreground and the keyboard focus (an edit control in it), it can open a popup menu of its own, and it can
// hold a hotkey of its own, as another program may.
#pragma once

#include "tests/e2e/driver_window.h"

#include <windows.h>

#include <atomic>

namespace e2e {

class FocusWindow {
public:
    // Shows the window at rect and gives it the foreground and its edit control the focus, or fails the case.
    explicit FocusWindow(const RECT& rect);
    FocusWindow(const FocusWindow&) = delete;
    FocusWindow& operator=(const FocusWindow&) = delete;

    HWND hwnd() const { return window_.hwnd(); }
    HWND edit() const { return edit_; }
    // The window is the foreground one and its edit control has the keyboard focus.
    bool focused() const;
    // Opens a popup menu of the window's at a screen point and waits until it shows; its window.
    HWND openMenu(POINT at);
    void closeMenu();
    // Registers a hotkey on the window, as another program holds one (MOD_ bits, virtual key); true when the
    // system gave it.
    bool holdHotkey(UINT modifiers, UINT virtualKey);
    // How many times the window's own hotkey reached it.
    int hotkeysReceived() const { return hotkeys_; }

private:
    static LRESULT CALLBACK proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    HWND make(const RECT& rect);

    HWND edit_ = nullptr;
    std::atomic<int> hotkeys_{0};
    std::atomic<int> held_{-1};
    WindowThread window_;
};

} // namespace e2e
