// End-to-end cases of the timed capture: the window menu's items count down on the Capture button, leave
// both windows alone meanwhile and then capture what the screen shows at zero, a menu open in another
// program included; a click on the counting button or on Clear stops the count, and so does the end of the
// program. The menu and the buttons are worked with real X input (xdotool), as a user works them.
#include "tests/e2e/app.h"
#include "tests/e2e/case_registry.h"
#include "tests/e2e/driver_window.h"
#include "tests/e2e/messages.h"
#include "tests/e2e/input.h"
#include "tests/e2e/report.h"
#include "tests/e2e/screen.h"
#include "tests/e2e/wait.h"
#include "tests/e2e/window_lookup.h"
#include "tests/e2e/window_menu.h"
#include "tests/e2e/x_input.h"
#include "tests/support/stopwatch.h"
#include "tests/support/text.h"

#include "res/resource.h"

#include <algorithm>
#include <atomic>
#include <map>

using namespace e2e;
using namespace support;

namespace {

const std::wstring kCaptureText = L"Capture";

// Sends the command of a timed-capture item, as the window menu does.
void postTimed(const App& app, UINT command) {
    PostMessageW(app.frame, WM_SYSCOMMAND, command, 0);
}

// A real click on a control of the panel.
void clickControl(const App& app, int id) {
    clickAt(centre(windowRect(app.button(id))));
}

struct Shown {
    std::wstring text;
    double ms; // since the first number was seen
};

// Watches a countdown on the Capture button until the button shows its own text again; returns each text
// it showed and when. Until then both windows must stay visible and the frame see-through, and
// problem() (run at every look, may also act) must answer nothing. The checks come before each read of
// the text: the count puts the button's text back before the capture changes any window, so a number read
// after them proves they were made while it still counted.
template <class Problem> std::vector<Shown> watchCountdown(const App& app, Problem problem) {
    check(waitFor([&] { return captureButtonText(app) != kCaptureText; }, 5000),
          "no countdown started on the Capture button");
    const Stopwatch watch;
    std::vector<Shown> shown;
    for (;;) {
        std::string seen;
        if (!IsWindowVisible(app.frame) || !IsWindowVisible(app.panel))
            seen = "a window was hidden";
        else if (!app.layered())
            seen = "the frame left the see-through look";
        else
            seen = problem();
        const std::wstring text = captureButtonText(app);
        if (shown.empty() || shown.back().text != text) {
            shown.push_back({text, watch.ms()});
            sayKey("shown",
                   narrow(text) + " at " + std::to_string(static_cast<long>(shown.back().ms)) + " ms");
        }
        if (text == kCaptureText)
            return shown;
        check(seen.empty(), seen + " while the button showed " + quoted(text));
        check(watch.ms() < 15000, "the countdown did not end: the button shows " + quoted(text));
        Sleep(20);
    }
}

// The button showed exactly the numbers from `from` down to 1, then its own text; each for about a
// second (a timer message may come late on a busy machine, never early).
void expectCountedDown(const std::vector<Shown>& shown, int from) {
    std::vector<std::wstring> texts, want;
    for (const Shown& s : shown)
        texts.push_back(s.text);
    for (int n = from; n >= 1; --n)
        want.push_back(std::to_wstring(n));
    want.push_back(kCaptureText);
    check(texts == want, "the Capture button showed " + joinLines(texts) + ", not " + joinLines(want));
    for (size_t i = 1; i < shown.size(); ++i) {
        const double step = shown[i].ms - shown[i - 1].ms;
        check(step > 750 && step < 2500, quoted(shown[i - 1].text) + " showed for " +
                                             std::to_string(static_cast<long>(step)) + " ms, not about 1 s");
    }
}

// ---------------------------------------------------------------- counting down and capturing

// The 3 s item counts down on the Capture button and then captures what lies under the frame at zero (the
// pattern beneath changes during the count). Chosen again with the picture held, an item only shows
// Capture's refusal.
void caseCountsDownAndCaptures() {
    App app;
    app.moveFrame(300, 250, 640, 420);
    PatternWindow pattern(patternArea(app), 1);
    const RECT client = clientRectOnScreen(app.frame);

    openWindowMenu(app);
    xKeys("3");
    const std::vector<Shown> shown = watchCountdown(app, [&] {
        if (captureButtonText(app) == L"1" && pattern.variant() != 2)
            pattern.setVariant(2);
        return std::string();
    });
    expectCountedDown(shown, 3);
    waitCaptured(app);
    auto atZero = [&](int x, int y) { return pattern.colourAt(x, y, 2); };
    expectScreen(client, atZero, "the picture after the count");
    expectNoMessage(app, "after the timed capture");

    openWindowMenu(app);
    xKeys("5");
    expectMessage(app, kAlreadyCaptured, "the 5 s item with a picture held");
    Sleep(1500);
    expectEq("the Capture button after the refusal", kCaptureText, captureButtonText(app));
    pattern.setVariant(0);
    check(!app.layered(), "the frame left the picture look after the refusal");
    expectScreen(client, atZero, "the picture after the refusal");
    expectNoMessage(app, "after the refusal");
}

// ---------------------------------------------------------------- a menu of another program

// A window of the driver on a thread of its own that opens a popup menu where it is asked to, as another
// program does, and closes it again. It notes when it loses the activation: if vantrel's frame disappears
// within a moment after, the activation went to vantrel before the capture's copy.
class MenuOwner {
public:
    explicit MenuOwner(HWND frame)
        : frame_(frame), window_([this] { return show(); }, "the driver's menu owner could not be made") {}
    MenuOwner(const MenuOwner&) = delete;
    MenuOwner& operator=(const MenuOwner&) = delete;

    HWND hwnd() const { return window_.hwnd(); }
    void open(POINT at) { PostMessageW(hwnd(), kOpen, 0, MAKELPARAM(at.x, at.y)); }
    void close() { PostMessageW(hwnd(), kClose, 0, 0); }
    bool deactivatedBeforeHide() const { return deactivatedBeforeHide_; }

private:
    static constexpr UINT kOpen = WM_APP + 1, kClose = WM_APP + 2;

    static LRESULT CALLBACK proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<MenuOwner*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
        switch (msg) {
        case kOpen: {
            HMENU menu = CreatePopupMenu();
            for (const wchar_t* item : {L"開く(&O)", L"名前を付けて保存(&A)...", L"印刷(&P)", L"閉じる(&C)"})
                AppendMenuW(menu, MF_STRING, 100, item);
            TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, static_cast<short>(LOWORD(lp)),
                           static_cast<short>(HIWORD(lp)), 0, wnd, nullptr);
            DestroyMenu(menu);
            return 0;
        }
        case kClose: EndMenu(); return 0;
        case WM_ACTIVATE:
            // A capture hides the frame for its pause: hidden within a moment, it had not been copied yet.
            if (self && LOWORD(wp) == WA_INACTIVE &&
                waitFor([&] { return !IsWindowVisible(self->frame_); }, 100, 5))
                self->deactivatedBeforeHide_ = true;
            break;
        }
        return DefWindowProcW(wnd, msg, wp, lp);
    }

    HWND show() {
        HWND w = makeDriverWindow(L"vantrel e2e menu owner", proc, WS_EX_TOOLWINDOW, WS_POPUP,
                                  {10, 10, 130, 70}, nullptr, reinterpret_cast<LONG_PTR>(this),
                                  static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        if (w)
            ShowWindow(w, SW_SHOW);
        return w;
    }

    HWND frame_;
    std::atomic<bool> deactivatedBeforeHide_{false};
    WindowThread window_;
};

// The driver's open popup menu, null while none shows.
HWND openMenuOfDriver() {
    const std::vector<HWND> menus = topLevelWindows(GetCurrentProcessId(), L"#32768");
    return menus.empty() ? nullptr : menus[0];
}

// A popup menu that another program opens during the count, over the region, is in the picture: neither
// vantrel window is activated or focused before the copy, which would have closed it.
void caseOtherMenuInPicture() {
    App app;
    app.moveFrame(300, 250, 640, 420);
    PatternWindow pattern(patternArea(app), 1);
    const RECT client = clientRectOnScreen(app.frame);
    MenuOwner owner(app.frame);
    pointerTo(POINT{GetSystemMetrics(SM_CXSCREEN) - 5, GetSystemMetrics(SM_CYSCREEN) - 5}); // off the menu

    postTimed(app, IDM_CAPTURE_IN_3S);
    waitButtonText(app, L"3", "the 3 s item");
    check(bringToFront(owner.hwnd()), "the driver's menu owner could not be made the foreground window");
    owner.open(POINT{client.left + 60, client.top + 50});
    HWND menu = nullptr;
    check(waitFor([&] { return (menu = openMenuOfDriver()) != nullptr && IsWindowVisible(menu); }, 3000),
          "the driver's popup menu did not open");
    Sleep(200);
    const RECT menuRect = windowRect(menu);
    sayKey("menu", rectText(menuRect));
    RECT inside{};
    check(IntersectRect(&inside, &menuRect, &client) && EqualRect(&inside, &menuRect),
          "the popup menu " + rectText(menuRect) + " is not inside the client area " + rectText(client));
    const Pixels menuPixels = captureScreen(menuRect);
    long own = 0; // pixels of the menu unlike the pattern: what proves it is in the picture
    for (int y = 0; y < menuPixels.height; ++y)
        for (int x = 0; x < menuPixels.width; ++x)
            own += menuPixels.at(x, y) != pattern.expectedAt(menuRect.left + x, menuRect.top + y);
    check(own > menuPixels.width * menuPixels.height / 2, "the popup menu does not show on the screen");

    GUITHREADINFO before{};
    before.cbSize = sizeof before;
    const DWORD vantrelThread = GetWindowThreadProcessId(app.frame, nullptr);
    check(GetGUIThreadInfo(vantrelThread, &before), "cannot read vantrel's active and focused windows");
    const std::vector<Shown> shown = watchCountdown(app, [&]() -> std::string {
        GUITHREADINFO now{};
        now.cbSize = sizeof now;
        GetGUIThreadInfo(vantrelThread, &now);
        if (now.hwndActive != before.hwndActive || now.hwndFocus != before.hwndFocus)
            return "vantrel's active or focused window changed (active " + hex(before.hwndActive) + " -> " +
                   hex(now.hwndActive) + ", focus " + hex(before.hwndFocus) + " -> " + hex(now.hwndFocus) +
                   ")";
        if (GetForegroundWindow() != owner.hwnd())
            return "the foreground went from the menu's owner to " + hex(GetForegroundWindow());
        if (!IsWindow(menu) || !IsWindowVisible(menu))
            return std::string("the popup menu closed");
        return std::string();
    });
    check(shown.size() >= 3, "the count ended before it was watched");
    waitCaptured(app);
    check(!owner.deactivatedBeforeHide(), "vantrel took the activation at zero before the capture's copy");

    owner.close();
    check(waitFor([&] { return openMenuOfDriver() == nullptr; }, 3000), "the popup menu did not close");
    expectScreen(
        client,
        [&](int x, int y) {
            const POINT p{x, y};
            return PtInRect(&menuRect, p) ? menuPixels.at(x - menuRect.left, y - menuRect.top)
                                          : pattern.expectedAt(x, y);
        },
        "the picture with the other program's menu");
}

// ---------------------------------------------------------------- stopping the count

// How the window menu draws its last `count` items: for each, true when it is
// drawn in the menu's text colour (enabled), false when it is not (greyed). The items are the runs of rows
// with text, counted from the bottom up; a separator's etched line is too thin to be one.
std::vector<bool> lastItemsEnabled(const App& app, size_t count, const std::string& when) {
    openWindowMenu(app);
    const std::vector<HWND> menus = topLevelWindows(app.process.pid(), L"#32768");
    check(menus.size() == 1, when + ": the window menu is not one window");
    Sleep(200);
    const Pixels px = captureScreen(windowRect(menus[0]));
    closeWindowMenu(app);

    std::map<uint32_t, long> used;
    for (uint32_t c : px.rgb)
        ++used[c];
    const uint32_t background = std::max_element(used.begin(), used.end(), [](auto& a, auto& b) {
                                    return a.second < b.second;
                                })->first;
    const COLORREF t = GetSysColor(COLOR_MENUTEXT);
    const uint32_t text = static_cast<uint32_t>(GetRValue(t)) << 16 | GetGValue(t) << 8 | GetBValue(t);
    struct Run {
        int top, bottom;
        bool enabled;
    };
    std::vector<Run> runs;
    for (int y = 0; y < px.height; ++y) {
        bool ink = false, enabled = false;
        for (int x = 3; x < px.width - 3; ++x) { // inside the menu's border
            ink = ink || px.at(x, y) != background;
            enabled = enabled || px.at(x, y) == text;
        }
        if (!ink)
            continue;
        if (!runs.empty() && runs.back().bottom == y - 1) {
            runs.back().bottom = y;
            runs.back().enabled = runs.back().enabled || enabled;
        } else {
            runs.push_back({y, y, enabled});
        }
    }
    std::vector<bool> items;
    for (auto run = runs.rbegin(); run != runs.rend() && items.size() < count; ++run)
        if (run->bottom - run->top >= 4)
            items.insert(items.begin(), run->enabled);
    check(items.size() == count,
          when + ": fewer than " + std::to_string(count) + " items in the window menu");
    return items;
}

// The window menu's items after the timed captures: the quick shot, the series and the settings.
constexpr size_t kItemsAfterTimedCaptures = 3;

// How the window menu draws the three timed-capture items: true for each one that is enabled.
std::vector<bool> timedItemsEnabled(const App& app, const std::string& when) {
    std::vector<bool> items = lastItemsEnabled(app, 3 + kItemsAfterTimedCaptures, when);
    items.resize(3);
    return items;
}

// While the 10 s item counts, the items are greyed and their commands start nothing; a real click on the
// counting Capture button stops the count, and so does Clear: the button shows its own text again and
// nothing is captured, also after the moment the capture was due. The 5 s item starts at 5.
void caseCancel() {
    App app;
    app.moveFrame(300, 250, 640, 420);
    PatternWindow pattern(patternArea(app), 1);
    const RECT client = clientRectOnScreen(app.frame);

    postTimed(app, IDM_CAPTURE_IN_10S);
    waitButtonText(app, L"10", "the 10 s item");
    for (bool enabled : timedItemsEnabled(app, "while counting"))
        check(!enabled, "a timed-capture item is not greyed while a count runs");
    chooseInWindowMenu(app, "3");
    postTimed(app, IDM_CAPTURE_IN_3S);
    Sleep(1200);
    const std::wstring left = captureButtonText(app);
    const int seconds = std::max(0, _wtoi(left.c_str()));
    check(seconds > 3 && seconds < 10,
          "the greyed items changed the count: the button shows " + quoted(left));

    clickControl(app, IDC_CAPTURE);
    waitButtonText(app, kCaptureText, "a click on the counting button", 1500);
    Sleep(1500);
    expectEq("the Capture button a while after the click", kCaptureText, captureButtonText(app));
    check(app.layered(), "a click on the counting button captured");
    for (bool enabled : timedItemsEnabled(app, "after the count"))
        check(enabled, "a timed-capture item is still greyed after the count");

    postTimed(app, IDM_CAPTURE_IN_3S);
    const Stopwatch started;
    waitButtonText(app, L"3", "the 3 s item after the click");
    clickControl(app, IDC_CLEAR);
    waitButtonText(app, kCaptureText, "Clear while counting", 1500);
    Sleep(static_cast<DWORD>(std::max(0.0, 4000 - started.ms())));
    expectEq("the Capture button past the moment the capture was due", kCaptureText, captureButtonText(app));
    check(app.layered() && IsWindowVisible(app.frame), "the frame left the see-through look after Clear");
    pattern.setVariant(2);
    expectScreen(
        client, [&](int x, int y) { return pattern.expectedAt(x, y); },
        "see-through after the stopped counts");
    expectNoMessage(app, "after the stopped counts");

    postTimed(app, IDM_CAPTURE_IN_5S);
    waitButtonText(app, L"5", "the 5 s item");
    clickControl(app, IDC_CAPTURE);
    waitButtonText(app, kCaptureText, "a click on the button counting 5", 1500);
}

// A count that reaches zero while the frame is minimised captures nothing, since the frame marks no region
// then: the user is told as for any capture that fails, the panel stays out of sight with the frame, and
// restoring the frame brings both back, see-through.
void caseMinimisedAtZero() {
    App app;
    postTimed(app, IDM_CAPTURE_IN_3S);
    waitButtonText(app, L"3", "the 3 s item");
    PostMessageW(app.frame, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    check(waitFor([&] { return IsIconic(app.frame) != FALSE; }, 3000), "the frame did not minimise");
    waitButtonText(app, kCaptureText, "the count of the minimised frame", 5000);
    expectMessage(app, kCaptureFailed, "zero with the frame minimised");
    check(IsIconic(app.frame) && !IsWindowVisible(app.panel),
          "the panel is shown while the frame is minimised (iconic " + std::to_string(IsIconic(app.frame)) +
              ")");
    PostMessageW(app.frame, WM_SYSCOMMAND, SC_RESTORE, 0);
    check(waitFor([&] { return !IsIconic(app.frame) && IsWindowVisible(app.panel); }, 5000),
          "restoring did not bring the frame and the panel back");
    expectDocked(app, true, "restored");
    check(app.layered(), "the restored frame is not see-through");
}

// ---------------------------------------------------------------- the end of the program

// WM_CLOSE to the frame just before zero ends the program at once with exit code 0; the frame keeps its
// see-through look until it is gone, so no capture started.
void caseEndWhileCounting() {
    App app;
    postTimed(app, IDM_CAPTURE_IN_3S);
    waitButtonText(app, L"1", "the 3 s item", 5000);
    Sleep(500);
    PostMessageW(app.frame, WM_CLOSE, 0, 0);
    const Stopwatch closing;
    bool keyed = true;
    const bool ended = waitFor(
        [&] {
            const LONG style = GetWindowLongW(app.frame, GWL_EXSTYLE);
            if (IsWindow(app.frame) && !(style & WS_EX_LAYERED))
                keyed = false;
            return !app.process.running();
        },
        5000, 10);
    check(ended, "vantrel did not end after WM_CLOSE while counting");
    sayKey("ended_after_ms", static_cast<long>(closing.ms()));
    check(keyed, "the frame left the see-through look after WM_CLOSE: a capture ran");
    expectEq("exit code", 0, app.process.exitCode());
}

const RegisterCase kTimedCaptureCases[] = {
    {"timed_capture_counts_down", caseCountsDownAndCaptures},
    {"timed_capture_other_menu", caseOtherMenuInPicture},
    {"timed_capture_cancel", caseCancel},
    {"timed_capture_end_while_counting", caseEndWhileCounting},
    {"timed_capture_minimised_at_zero", caseMinimisedAtZero},
};

} // namespace
