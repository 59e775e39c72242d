// End-to-end cases of the question before the end: a picture that was neither copied nor saved since its
// capture is not lost to one key. Every way of ending asks while such a picture is held, No keeps everything,
// Yes ends; a picture on the clipboard (or in a file, see the save cases) ends without a question, and so
// does the end the debug console asks for.
#include "tests/e2e/app.h"
#include "tests/e2e/case_registry.h"
#include "tests/e2e/messages.h"
#include "tests/e2e/input.h"
#include "tests/e2e/report.h"
#include "tests/e2e/wait.h"
#include "tests/e2e/window_menu.h"
#include "tests/e2e/window_lookup.h"

#include "res/resource.h"

#include <functional>

using namespace e2e;

namespace {

void capture(const App& app) {
    app.run(IDC_CAPTURE);
    waitCaptured(app);
}

// Keys pressed on the frame as a user does: it is made the foreground window first.
std::function<void(const App&)> keysOnFrame(std::vector<WORD> keys) {
    return [keys](const App& app) {
        check(bringToFront(app.frame), "could not make the frame the foreground window");
        pressChord(keys);
    };
}

// Enter, Esc, Alt+F4 and the window menu's Close on the frame, and Esc on the frame once Enter has hidden the
// panel, all ask while an unsaved picture is held. No keeps the program and its picture; asked again, Yes
// ends it.
void caseEveryWayAsks() {
    const struct {
        const char* name;
        std::function<void(const App&)> end;
        bool hidePanelFirst;
    } rows[] = {
        {"enter", keysOnFrame({VK_RETURN}), false},
        {"escape", keysOnFrame({VK_ESCAPE}), false},
        {"alt_f4", keysOnFrame({VK_MENU, VK_F4}), false},
        {"window_menu_close", [](const App& app) { PostMessageW(app.frame, WM_SYSCOMMAND, SC_CLOSE, 0); },
         false},
        {"escape_after_enter_hid_the_panel", keysOnFrame({VK_ESCAPE}), true},
    };
    for (const auto& r : rows) {
        const std::string row = std::string("row ") + r.name + ": ";
        App app;
        capture(app);
        if (r.hidePanelFirst) {
            // Enter with the check box focused ends the panel as a dialog: it hides.
            focusControl(app, IDC_RIGHTPOS);
            pressChord({VK_RETURN});
            check(waitFor([&] { return !IsWindowVisible(app.panel); }, 5000),
                  row + "Enter did not hide the panel");
        }
        r.end(app);
        // Enter answers the default, No.
        HWND question = expectExitQuestion(app, row + "first time");
        check(bringToFront(question), row + "could not make the question the foreground window");
        pressChord({VK_RETURN});
        check(waitFor([&] { return !IsWindow(question); }), row + "Enter did not answer the question");
        check(!app.process.waitExit(500), row + "vantrel ended after Enter (No)");
        check(IsWindowVisible(app.frame) && !app.layered(),
              row + "the frame no longer shows the picture after No");
        check(IsWindowVisible(app.panel) != r.hidePanelFirst, row + "No changed whether the panel is shown");
        r.end(app);
        answerMessage(expectExitQuestion(app, row + "second time"), IDYES, row + "Yes");
        check(app.process.waitExit(5000), row + "vantrel still running 5 s after Yes");
        expectEq(row + "exit code", 0, app.process.exitCode());
        say(std::string("row_ok=") + r.name);
    }
}

// Only a picture that went to the clipboard (or to a file) counts as kept. Command 1001 copies the screen,
// not the held picture, and a Copy that another program's busy clipboard refused keeps nothing; a new
// capture after Clear is a new picture that was not kept; Clear leaves nothing to lose.
void caseKeptPictures() {
    {
        App app;
        capture(app);
        app.run(IDC_CAPTURE_TO_CLIPBOARD);
        waitCaptured(app);
        expectExitQuestionNo(app, "after 1001 with a picture held");

        check(OpenClipboard(nullptr), "the driver could not open the clipboard");
        app.post(IDC_COPY);
        expectMessage(app, kClipboardBusy, "Copy while another program holds the clipboard");
        CloseClipboard();
        expectExitQuestionNo(app, "after a Copy the busy clipboard refused");

        app.run(IDC_COPY);
        app.run(IDC_CLEAR);
        capture(app);
        expectExitQuestionNo(app, "after a new capture of a picture copied before");
        app.run(IDC_COPY);
        expectEndsWithoutQuestion(app, "after Copy");
    }
    App app;
    capture(app);
    app.run(IDC_CLEAR);
    expectEndsWithoutQuestion(app, "after Clear");
}

// The debug console's close, logoff and shutdown end the program through WM_VANTREL_END_WITHOUT_ASKING (Wine
// cannot send those console events, so the driver posts what the console's handler posts): no question, even
// with an unsaved picture, and a question already open is answered for the user.
void caseEndWithoutAsking() {
    for (const bool questionOpen : {false, true}) {
        const std::string row = questionOpen ? "question open: " : "no question open: ";
        App app;
        capture(app);
        HWND question = nullptr;
        if (questionOpen) {
            PostMessageW(app.frame, WM_CLOSE, 0, 0);
            question = expectExitQuestion(app, row);
        }
        PostMessageW(app.frame, WM_VANTREL_END_WITHOUT_ASKING, 0, 0);
        bool asked = false;
        const bool ended = waitFor(
            [&] {
                HWND open = exitQuestion(app.process.pid());
                asked = asked || (open && open != question);
                return !app.process.running();
            },
            5000);
        check(ended, row + "vantrel still running 5 s after the end was asked for");
        check(!asked, row + "vantrel asked before it ended");
        expectEq(row + "exit code", 0, app.process.exitCode());
    }
}

// The end the debug console asks for also ends the program while one of its modal runs is up, or its window
// menu is open: each of those runs its own loop, which would hold the frame's end until the user closed it
// (the system then kills the program once its console handler gives up, and nothing is remembered).
void caseEndWithoutAskingUnderDialogs() {
    const struct {
        const char* name;
        std::function<void(const App&)> open;
    } rows[] = {
        {"about_box", [](const App& app) { PostMessageW(app.frame, WM_SYSCOMMAND, IDM_ABOUTBOX, 0); }},
        {"placement_dialog",
         [](const App& app) { PostMessageW(app.frame, WM_SYSCOMMAND, IDM_PLACEMENT, 0); }},
        {"refusal_message", [](const App& app) { app.post(IDC_COPY); }},
        {"save_dialog",
         [](const App& app) {
             capture(app);
             app.post(IDC_SAVE);
         }},
        {"window_menu", openWindowMenu},
    };
    for (const auto& r : rows) {
        const std::string row = std::string("row ") + r.name + ": ";
        App app;
        const std::vector<HWND> before = topLevelWindows(app.process.pid());
        r.open(app);
        check(waitFor([&] {
                  return topLevelWindows(app.process.pid()).size() > before.size() ||
                         !topLevelWindows(app.process.pid(), L"#32768").empty();
              }),
              row + "nothing opened; windows of vantrel:" + describeWindows(app.process.pid()));
        PostMessageW(app.frame, WM_VANTREL_END_WITHOUT_ASKING, 0, 0);
        check(app.process.waitExit(5000),
              row + "vantrel still running 5 s after the end was asked for; windows:" +
                  describeWindows(app.process.pid()));
        expectEq(row + "exit code", 0, app.process.exitCode());
        say(std::string("row_ok=") + r.name);
    }
}

const RegisterCase kExitQuestionCases[] = {
    {"exit_question_every_way", caseEveryWayAsks},
    {"exit_question_kept_pictures", caseKeptPictures},
    {"exit_without_asking", caseEndWithoutAsking},
    {"exit_without_asking_under_dialogs", caseEndWithoutAskingUnderDialogs},
};

} // namespace
