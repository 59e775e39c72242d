#include "tests/e2e/window_menu.h"

#include "tests/e2e/report.h"
#include "tests/e2e/wait.h"
#include "tests/e2e/window_lookup.h"
#include "tests/e2e/x_input.h"

namespace e2e {

namespace {

bool menuOpen(const App& app) {
    return !topLevelWindows(app.process.pid(), L"#32768").empty();
}

} // namespace

void openWindowMenu(const App& app) {
    const RECT w = windowRect(app.frame), c = clientRectOnScreen(app.frame);
    const POINT icon{c.left + GetSystemMetrics(SM_CXSMICON) / 2 + 2, (w.top + c.top) / 2};
    DWORD_PTR hit = 0;
    sendMessageTimeout(app.frame, WM_NCHITTEST, 0, MAKELPARAM(icon.x, icon.y), 5000, &hit);
    expectEq("hit test on the caption's icon", HTSYSMENU, static_cast<LRESULT>(hit));
    pointerTo(icon);
    Sleep(100);
    click();
    check(waitFor([&] { return menuOpen(app); }, 3000), "the window menu did not open");
}

void closeWindowMenu(const App& app) {
    sendMessageTimeout(app.frame, WM_CANCELMODE, 0, 0);
    check(waitFor([&] { return !menuOpen(app); }, 3000), "the window menu did not close");
}

void chooseInWindowMenu(const App& app, const char* letter) {
    openWindowMenu(app);
    xKeys(letter);
    Sleep(400);
    if (menuOpen(app))
        xKeys("Escape");
}

} // namespace e2e
