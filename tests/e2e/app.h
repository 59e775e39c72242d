// vantrel as the cases drive it: started with its frame and panel found, its commands, its message boxes.
#pragma once

#include "tests/e2e/files.h"
#include "tests/e2e/processes.h"
#include "tests/e2e/wait.h"
#include "tests/support/launch.h"

#include "res/resource.h"

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// What starts vantrel.exe beside the driver with the given command line arguments.
support::LaunchOptions vantrel(const std::wstring& arguments = L"");
// Ends the process properly (Process::closeProperly) or fails the case; `row` starts the message.
void closeOrFail(Process& p, const std::string& row);
// The frame's caption for its present client size: "Vantrel W:389 H:254".
std::wstring expectedCaption(HWND frame);

// vantrel (or a copy of it under another name) with its frame and panel found. Destroying it ends the
// program properly.
struct App {
    Process process;
    HWND frame = nullptr;
    HWND panel = nullptr;

    explicit App(const std::wstring& exe = vantrelPath());
    explicit App(const support::LaunchOptions& options, Remembered remembered = Remembered::Cleared);
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    HWND button(int id) const;
    // Runs a command to its end (the panel's handler returns before SendMessage does).
    void run(int id) const;
    // Starts a command that is expected to open a modal window, without waiting for it.
    void post(int id) const;
    bool layered() const;
    void moveFrame(int x, int y, int width, int height) const;
    // The caption of the program's message boxes: its file name without extension.
    const std::wstring& messageCaption() const { return caption_; }

private:
    std::wstring caption_;
};

// Opens the About box with a window-menu command posted to the frame (IDM_ABOUTBOX, or another of 0x0010 to
// 0x001F) and waits for it: the box, or null when none appeared within ms.
HWND openAboutBox(const Process& process, HWND frame, WPARAM command = IDM_ABOUTBOX, DWORD ms = kWaitMs);
// The Capture button's text: its own, or the seconds a timed capture has left.
std::wstring captureButtonText(const App& app);
// Waits up to ms for the Capture button to show `text`, or fails the case; `when` starts the message.
void waitButtonText(const App& app, const std::wstring& text, const std::string& when, DWORD ms = 3000);
// Gives a control of the panel the keyboard focus (as Tab would) with the panel in the foreground.
void focusControl(const App& app, int id);
// The message box vantrel shows: a new #32770 window captioned messageCaption() with the text in static
// 65535, the exclamation icon and one button, OK. Checks all that, presses OK and waits until the box is
// gone.
void expectMessage(const App& app, const wchar_t* text, const std::string& when);
// The ids of a window's push buttons, in their order.
std::vector<int> buttonIds(HWND box);
// Which of the system's icons a message box shows, told by its pixels against the driver's own drawing of
// each: "exclamation", "question", "error" or "information" (with the pixels that differ from the closest
// when none matches exactly), or "none".
std::string messageBoxIcon(HWND box);
// The question about a picture that was neither saved nor copied, once something asked vantrel to end: it
// looks like the program's other message boxes, with Yes and No and No as the default, and is owned by the
// frame. Returns it still open.
HWND expectExitQuestion(const App& app, const std::string& when);
// Presses a button of a message box and waits until the box is gone.
void answerMessage(HWND box, int button, const std::string& when);
// Asks vantrel to end (WM_CLOSE to the frame, as Alt+F4 does), expects the question, answers No and checks
// that nothing ended.
void expectExitQuestionNo(const App& app, const std::string& when);
// Asks vantrel to end and expects it to end with exit code 0, asking nothing.
void expectEndsWithoutQuestion(const App& app, const std::string& when);
// No window of vantrel besides the frame and the panel is open.
void expectNoMessage(const App& app, const std::string& when);
// A pattern window's place: under the frame and the panel, and far beyond them.
RECT patternArea(const App& app);
// Waits until a capture has finished and both windows are back in the picture look.
void waitCaptured(const App& app);
class PatternWindow;
// Posts Clear while a picture of the pattern beneath is held and reads the frame's client area as fast as
// the screen can be read, from the moment Clear is posted until the frame is see-through and a little
// after: every sample must be that pattern, whatever look lies between. Returns the number of samples.
long clearWatchingScreen(const App& app, const PatternWindow& beneath, const std::string& when);

// The panel's window stands beside the frame, its left edge on the frame's right edge (right) or its right
// edge on the frame's left edge, its top level with the frame's (Wine has no invisible borders: the window
// rectangles are what is seen).
void expectDocked(const App& app, bool right, const std::string& when);
// Waits until the window manager has answered every move of the frame and the panel made so far: the X server
// shows both where Win32 has them, and vantrel has taken in what it was told (a message round trip). A window
// manager answers a move a little later, and Wine applies each answer as a move to that place: an answer to
// an earlier move that comes after a later one puts a window back for a moment, until the later answer comes.
// Fails the case, naming `when`, after 5 s.
void waitSettled(const App& app, const std::string& when);

} // namespace e2e
