// End-to-end case of the minimised frame: the caption and the docking follow it down, and restoring brings
// the frame and the panel back where they were.
#include "tests/e2e/app.h"
#include "tests/e2e/case_registry.h"
#include "tests/e2e/report.h"
#include "tests/e2e/wait.h"
#include "tests/e2e/window_lookup.h"

using namespace e2e;

namespace {

void caseMinimisedFrame() {
    App app;
    app.moveFrame(300, 200, 500, 350);
    const RECT frameBefore = windowRect(app.frame), panelBefore = windowRect(app.panel);
    PostMessageW(app.frame, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    check(waitFor([&] { return IsIconic(app.frame) != FALSE; }, 5000), "the frame did not minimise");
    check(waitFor([&] { return windowText(app.frame) == expectedCaption(app.frame); }, 5000),
          "minimised: the caption " + quoted(windowText(app.frame)) + " does not show the client size " +
              quoted(expectedCaption(app.frame)));
    expectDocked(app, true, "minimised");

    PostMessageW(app.frame, WM_SYSCOMMAND, SC_RESTORE, 0);
    check(
        waitFor(
            [&] { return !IsIconic(app.frame) && IsWindowVisible(app.frame) && IsWindowVisible(app.panel); },
            5000),
        "restoring did not bring the frame and the panel back");
    const RECT frameAfter = windowRect(app.frame), panelAfter = windowRect(app.panel);
    check(EqualRect(&frameBefore, &frameAfter) && EqualRect(&panelBefore, &panelAfter),
          "restored to frame " + rectText(frameAfter) + " and panel " + rectText(panelAfter) + ", expected " +
              rectText(frameBefore) + " and " + rectText(panelBefore));
    expectEq("restored: caption", expectedCaption(app.frame), windowText(app.frame));
}

const RegisterCase kMinimisedCases[] = {{"frame_minimised", caseMinimisedFrame}};

} // namespace
