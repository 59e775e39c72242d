#include "tests/e2e/app.h"

#include "tests/e2e/input.h"
#include "tests/e2e/report.h"
#include "tests/e2e/screen.h"
#include "tests/e2e/unix_tools.h"
#include "tests/e2e/wait.h"
#include "tests/e2e/window_lookup.h"
#include "tests/support/stopwatch.h"

#include "res/resource.h"

namespace e2e {

using support::LaunchOptions;

LaunchOptions vantrel(const std::wstring& arguments) {
    LaunchOptions o;
    o.exe = vantrelPath();
    o.arguments = arguments;
    return o;
}

void closeOrFail(Process& p, const std::string& row) {
    if (!p.closeProperly())
        fail(row + "vantrel did not end after WM_CLOSE to its windows");
}

std::wstring expectedCaption(HWND frame) {
    SIZE c = clientSize(frame);
    return L"Vantrel W:" + std::to_wstring(c.cx) + L" H:" + std::to_wstring(c.cy);
}

App::App(const std::wstring& exe)
    : App([&] {
          LaunchOptions o;
          o.exe = exe;
          return o;
      }()) {}

App::App(const LaunchOptions& options, Remembered remembered) : process(options, remembered) {
    const std::wstring& exe = options.exe;
    const size_t slash = exe.find_last_of(L"\\/");
    caption_ = slash == std::wstring::npos ? exe : exe.substr(slash + 1);
    const size_t dot = caption_.rfind(L'.');
    if (dot != std::wstring::npos && dot != 0)
        caption_.erase(dot);
    frame = waitForFrame(process);
    waitFor([&] {
        for (HWND w : topLevelWindows(process.pid()))
            if (windowText(w) == L"Operation")
                panel = w;
        return panel != nullptr;
    });
    check(panel != nullptr, "the operation panel did not appear");
    check(GetWindow(panel, GW_OWNER) == frame, "the panel is not owned by the frame");
    // The frame is found as soon as it has its caption, still hidden; it is shown once it stands where it
    // opens (centred, or remembered), and that is where a case starts.
    check(waitFor([&] { return IsWindowVisible(frame) != FALSE || !process.running(); }),
          "the frame did not become visible; windows of the process:" + describeWindows(process.pid()));
}

App::~App() {
    if (!process.closeProperly())
        noteCleanupFailure("vantrel did not end after WM_CLOSE to its windows");
}

HWND App::button(int id) const {
    HWND b = GetDlgItem(panel, id);
    check(b != nullptr, "the panel has no control " + std::to_string(id));
    return b;
}

void App::run(int id) const {
    check(sendMessageTimeout(panel, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(panel, id)), 15000),
          "command " + std::to_string(id) + " did not finish");
}

void App::post(int id) const {
    PostMessageW(button(id), BM_CLICK, 0, 0);
}

bool App::layered() const {
    return (GetWindowLongW(frame, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
}

void App::moveFrame(int x, int y, int width, int height) const {
    check(SetWindowPos(frame, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE),
          "SetWindowPos on the frame failed");
}

void focusControl(const App& app, int id) {
    HWND control = app.button(id);
    auto focused = [&] {
        GUITHREADINFO thread{};
        thread.cbSize = sizeof thread;
        return GetForegroundWindow() == app.panel &&
               GetGUIThreadInfo(GetWindowThreadProcessId(app.panel, nullptr), &thread) &&
               thread.hwndFocus == control;
    };
    // The frame may take the foreground back while it settles after its start: try again until both hold.
    check(waitFor(
              [&] {
                  if (focused())
                      return true;
                  bringToFront(app.panel, 1000);
                  PostMessageW(app.panel, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
                  return false;
              },
              kWaitMs, 200),
          "control " + std::to_string(id) + " of the panel did not take the keyboard focus");
}

namespace {
void expectIcon(HWND box, const std::string& expected, const std::string& what) {
    const std::string icon = messageBoxIcon(box);
    check(icon == expected, what + " shows the icon " + icon + ", expected " + expected);
}
} // namespace

std::wstring captureButtonText(const App& app) {
    return windowText(app.button(IDC_CAPTURE));
}

void waitButtonText(const App& app, const std::wstring& text, const std::string& when, DWORD ms) {
    check(waitFor([&] { return captureButtonText(app) == text; }, ms),
          when + ": the Capture button shows " + quoted(captureButtonText(app)) + ", not " + quoted(text));
}

void expectMessage(const App& app, const wchar_t* text, const std::string& when) {
    HWND box = nullptr;
    waitFor([&] {
        for (HWND w : topLevelWindows(app.process.pid()))
            if (w != app.frame && w != app.panel && GetDlgItem(w, 0xFFFF))
                box = w;
        return box != nullptr;
    });
    check(box != nullptr,
          when + ": no message box appeared; windows of vantrel:" + describeWindows(app.process.pid()));
    expectEq(when + ": message box caption", app.messageCaption(), windowText(box));
    expectEq(when + ": message text", std::wstring(text), windowText(GetDlgItem(box, 0xFFFF)));
    expectIcon(box, "exclamation", when + ": message box");
    check(buttonIds(box) == std::vector<int>{IDOK},
          when + ": the message box has other buttons than OK alone");
    PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    check(waitFor([&] { return !IsWindow(box); }), when + ": the message box did not close with OK");
}

std::vector<int> buttonIds(HWND box) {
    std::vector<int> ids;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (className(c) == L"Button" && IsWindowVisible(c))
            ids.push_back(GetDlgCtrlID(c));
    return ids;
}

namespace {
// A system icon as a static control draws it: at the given size, over a background of one colour.
std::vector<uint32_t> drawnIcon(const wchar_t* id, int width, int height, uint32_t background) {
    const Pixels drawn = drawnPixels(width, height, [&](HDC dc) {
        fillSolid(dc, RECT{0, 0, width, height}, background);
        DrawIconEx(dc, 0, 0, LoadIconW(nullptr, id), width, height, 0, nullptr, DI_NORMAL);
    });
    return drawn.rgb.empty() ? std::vector<uint32_t>(static_cast<size_t>(width) * height) : drawn.rgb;
}
} // namespace

std::string messageBoxIcon(HWND box) {
    HWND icon = nullptr;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (className(c) == L"Static" && (GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            IsWindowVisible(c))
            icon = c;
    if (!icon)
        return "none";
    // A tip of the panel left under the pointer could cover the box: the pointer goes to a corner.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    const struct {
        const char* name;
        const wchar_t* id;
    } icons[] = {{"exclamation", IDI_EXCLAMATION},
                 {"question", IDI_QUESTION},
                 {"error", IDI_HAND},
                 {"information", IDI_ASTERISK}};
    std::string best;
    long fewest = -1;
    RECT area{};
    // The box may not be in its place on the screen yet (the window manager may map or move it late): look
    // again, at where it is now, until one icon matches exactly.
    waitFor(
        [&] {
            area = clientRectOnScreen(icon);
            const Pixels shown = captureScreen(area);
            if (shown.rgb.empty())
                return false;
            for (const auto& candidate : icons) {
                const std::vector<uint32_t> drawn =
                    drawnIcon(candidate.id, shown.width, shown.height, shown.at(0, 0));
                long differing = 0;
                for (size_t i = 0; i < drawn.size(); ++i)
                    differing += drawn[i] != shown.rgb[i];
                if (fewest < 0 || differing < fewest) {
                    fewest = differing;
                    best = candidate.name;
                }
            }
            return fewest == 0;
        },
        kWaitMs, 100);
    if (fewest == 0)
        return best;
    std::string above;
    for (HWND w = GetTopWindow(nullptr); w && w != box; w = GetWindow(w, GW_HWNDNEXT)) {
        RECT r = windowRect(w), overlap;
        if (IsWindowVisible(w) && IntersectRect(&overlap, &r, &area))
            above += " " + quoted(className(w)) + " " + rectText(r);
    }
    return best + " (" + std::to_string(fewest) + " pixels differ at " + rectText(area) +
           "; windows over it:" + (above.empty() ? " none" : above) + ")";
}

HWND expectExitQuestion(const App& app, const std::string& when) {
    HWND box = nullptr;
    waitFor([&] { return (box = exitQuestion(app.process.pid())) != nullptr || !app.process.running(); });
    check(box != nullptr, when + ": no question before the end (" +
                              (app.process.running() ? "still running" : "vantrel ended") +
                              "); windows of vantrel:" + describeWindows(app.process.pid()));
    expectEq(when + ": question caption", app.messageCaption(), windowText(box));
    expectIcon(box, "exclamation", when + ": question");
    check(buttonIds(box) == std::vector<int>{IDYES, IDNO},
          when + ": the question's buttons are not Yes and No");
    // No is the default: drawn as the default button and focused, so Enter answers No.
    HWND no = GetDlgItem(box, IDNO);
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &thread);
    check((GetWindowLongW(no, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON && thread.hwndFocus == no,
          when + ": No is not the default button");
    check(GetWindow(box, GW_OWNER) == app.frame, when + ": the question is not owned by the frame");
    return box;
}

void answerMessage(HWND box, int button, const std::string& when) {
    PostMessageW(GetDlgItem(box, button), BM_CLICK, 0, 0);
    check(waitFor([&] { return !IsWindow(box); }), when + ": the message box did not close");
}

void expectExitQuestionNo(const App& app, const std::string& when) {
    PostMessageW(app.frame, WM_CLOSE, 0, 0);
    answerMessage(expectExitQuestion(app, when), IDNO, when + ", No");
    check(!app.process.waitExit(500) && IsWindowVisible(app.frame),
          when + ": vantrel ended or hid its frame after No");
}

void expectEndsWithoutQuestion(const App& app, const std::string& when) {
    PostMessageW(app.frame, WM_CLOSE, 0, 0);
    bool asked = false;
    const bool ended = waitFor(
        [&] {
            asked = asked || exitQuestion(app.process.pid()) != nullptr;
            return !app.process.running();
        },
        5000);
    check(!asked, when + ": vantrel asked before it ended");
    check(ended, when + ": vantrel still running 5 s after WM_CLOSE to its frame");
    expectEq(when + ": exit code", 0, app.process.exitCode());
}

void expectNoMessage(const App& app, const std::string& when) {
    Sleep(300);
    for (HWND w : topLevelWindows(app.process.pid()))
        check(w == app.frame || w == app.panel,
              when + ": an unexpected window appeared: " + quoted(windowText(w)));
}

RECT patternArea(const App& app) {
    RECT f = windowRect(app.frame), p = windowRect(app.panel), both;
    UnionRect(&both, &f, &p);
    InflateRect(&both, 60, 60);
    return both;
}

void waitCaptured(const App& app) {
    check(waitFor([&] { return !app.layered() && IsWindowVisible(app.frame) && IsWindowVisible(app.panel); }),
          "the frame did not come back in the picture look");
}

long clearWatchingScreen(const App& app, const PatternWindow& beneath, const std::string& when) {
    constexpr uint32_t kWhite = 0xFFFFFF;
    const RECT client = clientRectOnScreen(app.frame);
    check(PostMessageW(app.panel, WM_COMMAND, MAKEWPARAM(IDC_CLEAR, BN_CLICKED),
                       reinterpret_cast<LPARAM>(app.button(IDC_CLEAR))),
          when + ": could not post Clear");
    support::Stopwatch sinceSeeThrough;
    bool seeThrough = false;
    long samples = 0;
    while (!seeThrough || sinceSeeThrough.ms() < 300) {
        if (!seeThrough && app.layered()) {
            seeThrough = true;
            sinceSeeThrough = support::Stopwatch();
        }
        const Pixels px = captureScreen(client);
        ++samples;
        long differ = 0, white = 0, black = 0;
        std::string first;
        for (int y = 0; y < px.height; ++y)
            for (int x = 0; x < px.width; ++x) {
                const uint32_t got = px.at(x, y);
                if (got == beneath.expectedAt(client.left + x, client.top + y))
                    continue;
                if (differ++ == 0)
                    first = colourText(got) + " at (" + std::to_string(client.left + x) + "," +
                            std::to_string(client.top + y) + ")";
                white += got == kWhite;
                black += got == 0;
            }
        if (differ)
            fail(when + ": a look between the picture and see-through showed " + std::to_string(differ) +
                 " pixels that are not the pattern beneath (" + std::to_string(white) + " of them white, " +
                 std::to_string(black) + " black; the first " + first + "), sample " +
                 std::to_string(samples));
    }
    return samples;
}

HWND openAboutBox(const Process& process, HWND frame, WPARAM command, DWORD ms) {
    const std::vector<HWND> before = topLevelWindows(process.pid(), L"#32770", false);
    if (!PostMessageW(frame, WM_SYSCOMMAND, command, 0))
        return nullptr;
    return waitForNewWindow(process, before, ms);
}

void expectDocked(const App& app, bool right, const std::string& when) {
    const RECT f = windowRect(app.frame), p = windowRect(app.panel);
    sayKey((when + "_frame").c_str(), rectText(f));
    sayKey((when + "_panel").c_str(), rectText(p));
    const std::string rects = " (frame " + rectText(f) + ", panel " + rectText(p) + ")";
    if (right)
        expectEq(when + ": panel's left edge on the frame's right edge" + rects, f.right, p.left);
    else
        expectEq(when + ": panel's right edge on the frame's left edge" + rects, f.left, p.right);
    expectEq(when + ": panel's top level with the frame's" + rects, f.top, p.top);
}

void waitSettled(const App& app, const std::string& when) {
    std::string seen;
    const bool settled = waitFor(
        [&] {
            // The X server first, then two round trips, in which vantrel takes in what the X server had sent
            // it by then.
            const std::vector<RECT> x = xWindowRects({app.frame, app.panel}, when);
            if (!sendMessageTimeout(app.frame, WM_NULL, 0, 0, 5000) ||
                !sendMessageTimeout(app.frame, WM_NULL, 0, 0, 5000))
                return false;
            const RECT frame = windowRect(app.frame), panel = windowRect(app.panel);
            seen = "X server: frame " + rectText(x[0]) + ", panel " + rectText(x[1]) + "; Win32: frame " +
                   rectText(frame) + ", panel " + rectText(panel);
            return EqualRect(&x[0], &frame) && EqualRect(&x[1], &panel);
        },
        5000, 50);
    check(settled, when + ": the windows did not settle: " + seen);
}

} // namespace e2e
