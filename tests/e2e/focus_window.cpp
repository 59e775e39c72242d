#include "tests/e2e/focus_window.h"

#include "tests/e2e/input.h"
#include "tests/e2e/report.h"
#include "tests/e2e/wait.h"
#include "tests/e2e/window_lookup.h"

namespace e2e {

namespace {

constexpr UINT kOpenMenu = WM_APP + 1, kCloseMenu = WM_APP + 2, kHoldHotkey = WM_APP + 3;
constexpr int kHeldHotkeyId = 1;

HWND openMenuOf(DWORD thread) {
    for (HWND w : topLevelWindows(GetCurrentProcessId(), L"#32768"))
        if (GetWindowThreadProcessId(w, nullptr) == thread)
            return w;
    return nullptr;
}

} // namespace

FocusWindow::FocusWindow(const RECT& rect)
    : window_([this, rect] { return make(rect); }, "the driver's focus window could not be made") {
    check(waitFor([&] {
              if (focused())
                  return true;
              bringToFront(hwnd(), 1000);
              PostMessageW(hwnd(), WM_APP, 0, 0); // wakes the thread for the focus below
              return false;
          }),
          "the driver's focus window did not take the foreground and the focus");
}

HWND FocusWindow::make(const RECT& rect) {
    HWND w =
        makeDriverWindow(L"vantrel e2e focus window", proc, 0, WS_OVERLAPPEDWINDOW, rect, nullptr,
                         reinterpret_cast<LONG_PTR>(this), static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (!w)
        return nullptr;
    edit_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"typing here", WS_CHILD | WS_VISIBLE, 10, 10, 200, 24,
                            w, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(w, SW_SHOW);
    SetForegroundWindow(w);
    SetFocus(edit_);
    return w;
}

bool FocusWindow::focused() const {
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    return GetForegroundWindow() == hwnd() &&
           GetGUIThreadInfo(GetWindowThreadProcessId(hwnd(), nullptr), &thread) && thread.hwndFocus == edit_;
}

LRESULT CALLBACK FocusWindow::proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<FocusWindow*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
    switch (msg) {
    case WM_APP:
        if (self && GetForegroundWindow() == wnd)
            SetFocus(self->edit_);
        return 0;
    case WM_ACTIVATE:
        if (self && LOWORD(wp) != WA_INACTIVE)
            SetFocus(self->edit_);
        return 0;
    case kOpenMenu: {
        HMENU menu = CreatePopupMenu();
        for (const wchar_t* item : {L"切り取り(&T)", L"コピー(&C)", L"貼り付け(&P)", L"すべて選択(&A)"})
            AppendMenuW(menu, MF_STRING, 100, item);
        TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, static_cast<short>(LOWORD(lp)),
                       static_cast<short>(HIWORD(lp)), 0, wnd, nullptr);
        DestroyMenu(menu);
        return 0;
    }
    case kCloseMenu: EndMenu(); return 0;
    case kHoldHotkey:
        if (self)
            self->held_ =
                RegisterHotKey(wnd, kHeldHotkeyId, static_cast<UINT>(wp), static_cast<UINT>(lp)) ? 1 : 0;
        return 0;
    case WM_HOTKEY:
        if (self && wp == kHeldHotkeyId)
            ++self->hotkeys_;
        return 0;
    }
    return DefWindowProcW(wnd, msg, wp, lp);
}

HWND FocusWindow::openMenu(POINT at) {
    PostMessageW(hwnd(), kOpenMenu, 0, MAKELPARAM(at.x, at.y));
    const DWORD thread = GetWindowThreadProcessId(hwnd(), nullptr);
    HWND menu = nullptr;
    check(waitFor([&] { return (menu = openMenuOf(thread)) != nullptr && IsWindowVisible(menu); }, 3000),
          "the driver's popup menu did not open");
    Sleep(200); // drawn
    return menu;
}

void FocusWindow::closeMenu() {
    PostMessageW(hwnd(), kCloseMenu, 0, 0);
    const DWORD thread = GetWindowThreadProcessId(hwnd(), nullptr);
    check(waitFor([&] { return openMenuOf(thread) == nullptr; }, 3000),
          "the driver's popup menu did not close");
}

bool FocusWindow::holdHotkey(UINT modifiers, UINT virtualKey) {
    held_ = -1;
    PostMessageW(hwnd(), kHoldHotkey, modifiers, virtualKey);
    check(waitFor([&] { return held_ >= 0; }, 3000), "the driver's focus window did not answer");
    return held_ == 1;
}

} // namespace e2e
