// End-to-end case of fitting the frame to the window below: the inner area takes exactly the client area of
// a window of the driver's that lies beneath its centre, in one move; with nothing beneath, a message and no
// move; with a picture held, the command does nothing.
#include "tests/e2e/app.h"
#include "tests/e2e/case_registry.h"
#include "tests/e2e/driver_window.h"
#include "tests/e2e/messages.h"
#include "tests/e2e/report.h"
#include "tests/e2e/wait.h"
#include "tests/e2e/window_lookup.h"

#include "res/resource.h"

using namespace e2e;

namespace {

LRESULT CALLBACK plainProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProcW(wnd, msg, wp, lp);
}

bool sameRect(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

void postFit(const App& app) {
    PostMessageW(app.frame, WM_SYSCOMMAND, IDM_FIT_WINDOW, 0);
}

void caseFitToWindowBelow() {
    WindowThread below(
        [] {
            HWND w = makeDriverWindow(L"vantrel e2e window below", plainProc, 0, WS_OVERLAPPEDWINDOW,
                                      {250, 180, 850, 610}, nullptr, 0,
                                      static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
            if (w)
                ShowWindow(w, SW_SHOWNOACTIVATE);
            return w;
        },
        "the driver's window below could not be made");
    check(waitFor([&] { return IsWindowVisible(below.hwnd()) != FALSE; }),
          "the driver's window did not show");
    const RECT target = clientRectOnScreen(below.hwnd());
    sayKey("target", rectText(target));

    App app;
    app.moveFrame(420, 300, 260, 200);
    postFit(app);
    check(waitFor([&] { return sameRect(clientRectOnScreen(app.frame), target); }, 5000),
          "the inner area is " + rectText(clientRectOnScreen(app.frame)) + ", not the client area below " +
              rectText(target));
    expectEq("caption after the fit", expectedCaption(app.frame), windowText(app.frame));
    expectDocked(app, true, "after the fit");
    expectNoMessage(app, "after the fit");

    // Nothing lies beneath the centre of a frame far from the driver's window.
    app.moveFrame(1500, 1100, 300, 200);
    const RECT away = clientRectOnScreen(app.frame);
    postFit(app);
    expectMessage(app, kNoWindowBelow, "fit with no window below");
    check(sameRect(clientRectOnScreen(app.frame), away), "the frame moved although no window was below");

    // With a picture held the item is greyed, and its command changes nothing.
    app.moveFrame(420, 300, 260, 200);
    const RECT held = clientRectOnScreen(app.frame);
    app.run(IDC_CAPTURE);
    waitCaptured(app);
    postFit(app);
    Sleep(500);
    check(sameRect(clientRectOnScreen(app.frame), held), "fit moved the frame while a picture was held");
    expectNoMessage(app, "fit with a picture held");
    app.run(IDC_CLEAR);
}

const RegisterCase kFitWindowCases[] = {{"fit_to_window_below", caseFitToWindowBelow}};

} // namespace
