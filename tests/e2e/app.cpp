#include "tests/e2e/app.h"

#include "tests/e2e/report.h"
#include "tests/e2e/wait.h"
#include "tests/e2e/window_lookup.h"

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

App::App(const LaunchOptions& options) : process(options) {
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
    PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    check(waitFor([&] { return !IsWindow(box); }), when + ": the message box did not close with OK");
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

void expectDockedRight(const App& app, const std::string& when) {
    const RECT f = windowRect(app.frame), p = windowRect(app.panel);
    sayKey((when + "_frame").c_str(), rectText(f));
    sayKey((when + "_panel").c_str(), rectText(p));
    expectEq(when + ": panel's left edge on the frame's right edge", f.right, p.left);
    expectEq(when + ": panel's top level with the frame's", f.top, p.top);
}

} // namespace e2e
