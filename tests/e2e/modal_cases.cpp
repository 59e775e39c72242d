// End-to-end cases of the program's modal runs: while a dialog or message box of one of its windows is up,
// the other window takes no command either, and both are usable again once it has closed. Clicks are real
// X pointer clicks (xdotool), as a user makes them.
#include "tests/e2e/app.h"
#include "tests/e2e/case_registry.h"
#include "tests/e2e/report.h"
#include "tests/e2e/wait.h"
#include "tests/e2e/window_lookup.h"
#include "tests/e2e/x_input.h"
#include "tests/support/stopwatch.h"

#include "res/resource.h"

using namespace e2e;

namespace {

// Both windows are enabled (true) or both disabled, with the style bit the system keeps.
void expectEnabled(const App& app, bool enabled, const std::string& when) {
    for (HWND w : {app.frame, app.panel}) {
        const bool disabled = (GetWindowLongW(w, GWL_STYLE) & WS_DISABLED) != 0;
        check(disabled != enabled, when + ": the " + (w == app.frame ? "frame" : "panel") + " is " +
                                       (disabled ? "disabled" : "enabled"));
    }
}

// Opens the About box from the frame's window menu and waits for it.
HWND openAbout(const App& app) {
    HWND about = openAboutBox(app.process, app.frame);
    check(about != nullptr && windowText(about) == kAboutCaption,
          "the About box did not open; windows of vantrel:" + describeWindows(app.process.pid()));
    return about;
}

// The About box, owned by the frame, holds the panel still too: a real click on Capture does nothing while
// it is up, and once it has closed both windows are enabled and the same click captures.
void caseAboutHoldsPanel() {
    App app;
    HWND about = openAbout(app);
    expectEnabled(app, false, "About box open");
    const POINT capture = centre(windowRect(app.button(IDC_CAPTURE)));
    RECT aboutRect = windowRect(about);
    check(!PtInRect(&aboutRect, capture), "the About box covers the Capture button");
    clickAt(capture);
    Sleep(600); // a capture would have hidden both windows for 200 ms and changed the frame's look by now
    check(app.layered() && IsWindowVisible(app.frame) && IsWindowVisible(app.panel),
          "a click on Capture captured while the About box was open");
    check(IsWindow(about) && IsWindowVisible(about), "the About box went away");
    check(topLevelWindows(app.process.pid()).size() == 3,
          "a window appeared on the click:" + describeWindows(app.process.pid()));

    answerMessage(about, IDOK, "the About box");
    expectEnabled(app, true, "About box closed");
    clickAt(capture);
    waitCaptured(app);
}

// A message box of the panel disables the frame as well as the panel for as long as it is up.
void caseMessageHoldsFrame() {
    App app;
    const std::vector<HWND> before = topLevelWindows(app.process.pid(), L"#32770", false);
    app.post(IDC_COPY); // nothing held: the panel says so
    HWND box = waitForNewWindow(app.process, before);
    check(box != nullptr && GetWindow(box, GW_OWNER) == app.panel,
          "no message box of the panel appeared; windows of vantrel:" + describeWindows(app.process.pid()));
    expectEnabled(app, false, "message box open");
    answerMessage(box, IDOK, "the message box");
    expectEnabled(app, true, "message box closed");
}

// A modal run stops a timed capture as it opens, so nothing is captured under it at zero (the dialog would
// be in the picture): the About box of the frame and a message box of the panel each stop a count, the
// button shows its own text at once, nothing is captured after the moment the capture was due, and no
// count starts while the About box is up.
void caseModalStopsCountdown() {
    App app;
    const std::wstring captureText = captureButtonText(app);
    struct Run {
        const char* what;
        HWND (*open)(const App&);
        bool triesToStart; // posts a timed-capture item while it is up
    };
    const Run runs[] = {
        {"the About box", [](const App& a) { return openAbout(a); }, true},
        {"a message box of the panel",
         [](const App& a) {
             const std::vector<HWND> before = topLevelWindows(a.process.pid(), L"#32770", false);
             a.post(IDC_COPY); // nothing held: the panel says so
             return waitForNewWindow(a.process, before);
         },
         false},
    };
    for (const Run& run : runs) {
        const std::string what = run.what;
        PostMessageW(app.frame, WM_SYSCOMMAND, IDM_CAPTURE_IN_3S, 0);
        const support::Stopwatch started;
        waitButtonText(app, L"3", what + ": the 3 s item", 3000);
        HWND dialog = run.open(app);
        check(dialog != nullptr, what + " did not open");
        waitButtonText(app, captureText, what + " opened while counting", 1500);
        if (run.triesToStart) {
            PostMessageW(app.frame, WM_SYSCOMMAND, IDM_CAPTURE_IN_3S, 0);
            Sleep(1200);
            expectEq(what + ": the Capture button after the 3 s item under it", captureText,
                     captureButtonText(app));
        }
        Sleep(static_cast<DWORD>(std::max(0.0, 4500 - started.ms())));
        check(app.layered() && IsWindowVisible(app.frame) && IsWindowVisible(app.panel),
              what + ": a capture ran under it");
        check(IsWindow(dialog) && IsWindowVisible(dialog), what + " went away");
        answerMessage(dialog, IDOK, what);
        expectEnabled(app, true, what + " closed");
    }
    expectEq("the Capture button at the end", captureText, captureButtonText(app));
}

const RegisterCase kModalCases[] = {
    {"modal_about_holds_panel", caseAboutHoldsPanel},
    {"modal_message_holds_frame", caseMessageHoldsFrame},
    {"modal_stops_countdown", caseModalStopsCountdown},
};

} // namespace
