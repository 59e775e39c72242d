// End-to-end cases of display scaling. At 96, 144 and 192 dpi (Wine's LogPixels, set for the vantrel started
// by the case): the caption's size is the see-through area's size as the screen shows it, Capture takes the
// pixels beneath exactly, the panel docks exactly, "Right Pos" and the About box's lines are shown whole, and
// a tip is drawn at the scale. Wine never changes a window's scale itself: the last case sends the scale
// change as the system would and checks the frame, the panel and a tip after it.
#include "tests/e2e/app.h"
#include "tests/e2e/case_registry.h"
#include "tests/e2e/display_scale.h"
#include "tests/e2e/report.h"
#include "tests/e2e/screen.h"
#include "tests/e2e/tips.h"
#include "tests/e2e/unix_tools.h"
#include "tests/e2e/wait.h"
#include "tests/e2e/window_lookup.h"
#include "tests/support/text.h"

#include "platform/dpi_scale.h"
#include "res/resource.h"

#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

using namespace e2e;
using platform::MulDivRounded;

namespace {

constexpr int kScaleIds[] = {IDC_CLEAR, IDC_CAPTURE, IDC_COPY, IDC_SAVE, IDC_RIGHTPOS};

// A dialog template's font as the dialog manager makes it at dpi.
LOGFONTW templateFont(const wchar_t* face, int points, int weight, int dpi) {
    LOGFONTW font{};
    font.lfHeight = -MulDivRounded(points, dpi, 72);
    font.lfWeight = weight;
    font.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    return font;
}

// "Right Pos" in the panel's font at dpi, whole inside its check box.
void expectRightPosWhole(const App& app, int dpi, const std::string& when) {
    expectTextWhole(when + ": Right Pos", windowRect(app.button(IDC_RIGHTPOS)), L"Right Pos",
                    templateFont(L"MS Shell Dlg", 8, FW_NORMAL, dpi), GetSysColor(COLOR_BTNFACE));
}

// The frame's client area as the screen shows it over the pattern: from the middle of the client area
// outwards, as far as the screen shows the pattern; every pixel inside shows it, and the frame is drawn on
// each line just outside.
RECT seeThroughArea(const App& app, const PatternWindow& pattern) {
    const RECT outer = windowRect(app.frame);
    const Pixels px = captureScreen(outer);
    auto seen = [&](int x, int y) {
        return x >= outer.left && y >= outer.top && x < outer.right && y < outer.bottom &&
               px.at(x - outer.left, y - outer.top) == pattern.expectedAt(x, y);
    };
    const POINT middle = centre(clientRectOnScreen(app.frame));
    check(seen(middle.x, middle.y), "the middle of the client area does not show the pattern beneath");
    RECT area{middle.x, middle.y, middle.x + 1, middle.y + 1};
    while (seen(area.left - 1, middle.y))
        --area.left;
    while (seen(area.right, middle.y))
        ++area.right;
    while (seen(middle.x, area.top - 1))
        --area.top;
    while (seen(middle.x, area.bottom))
        ++area.bottom;
    long inside = 0, edge = 0, edgeDrawn = 0;
    for (int y = area.top - 1; y <= area.bottom; ++y)
        for (int x = area.left - 1; x <= area.right; ++x) {
            const bool onEdge = x < area.left || y < area.top || x == area.right || y == area.bottom;
            if (onEdge) {
                ++edge;
                edgeDrawn += !seen(x, y);
            } else {
                inside += !seen(x, y);
            }
        }
    sayKey("see_through_area", rectText(area));
    expectEq("pixels inside the see-through area that do not show the pattern", 0, inside);
    check(edgeDrawn > edge * 9 / 10, "the frame is not drawn around the see-through area (" +
                                         std::to_string(edgeDrawn) + " of " + std::to_string(edge) +
                                         " pixels)");
    return area;
}

// The frame's window as the X server places it (xwininfo on the window Wine made for it).
RECT xWindowRect(HWND frame) {
    const UnixResult r = runUnixOk("xwininfo -name '" + support::narrow(windowText(frame)) + "'");
    int x = 0, y = 0, w = 0, h = 0;
    const std::pair<const char*, int*> fields[] = {
        {"Absolute upper-left X:", &x}, {"Absolute upper-left Y:", &y}, {"Width:", &w}, {"Height:", &h}};
    for (const auto& [key, value] : fields) {
        const size_t at = r.out.find(key);
        check(at != std::string::npos, std::string("xwininfo gave no \"") + key + "\": " + r.out);
        *value = std::atoi(r.out.c_str() + at + std::strlen(key));
    }
    return RECT{x, y, x + w, y + h};
}

// The lines of the About box's text controls, each shown whole in the dialog's font at dpi.
void expectAboutLinesWhole(const App& app, int dpi) {
    const HWND about = openAboutBox(app.process, app.frame);
    check(about != nullptr, "no About box appeared");
    std::vector<HWND> lines;
    for (HWND child = GetWindow(about, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (className(child) == L"Static" && !(GetWindowLongW(child, GWL_STYLE) & SS_ICON) &&
            !windowText(child).empty())
            lines.push_back(child);
    expectEq("text lines of the About box", 2, static_cast<long long>(lines.size()));
    for (size_t i = 0; i < lines.size(); ++i)
        expectTextWhole("About box line " + std::to_string(i + 1), windowRect(lines[i]), windowText(lines[i]),
                        templateFont(L"MS UI Gothic", 9, 0, dpi), GetSysColor(COLOR_BTNFACE));
    PostMessageW(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
    check(waitFor([&] { return !IsWindow(about); }), "the About box did not close");
}

// The settings dialog's labels, the next name under the pattern and its check box, each shown whole in the
// dialog's font at dpi (a label's mnemonic "&" is not drawn).
void expectSettingsLabelsWhole(const App& app, int dpi) {
    const std::vector<HWND> before = topLevelWindows(app.process.pid());
    PostMessageW(app.frame, WM_SYSCOMMAND, IDM_SETTINGS, 0);
    HWND dialog = waitForNewWindow(app.process, before, 10000);
    check(dialog != nullptr, "no settings dialog appeared");
    Sleep(300);
    int labels = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        const bool label = className(child) == L"Static";
        const bool checkBox = className(child) == L"Button" && (style & BS_TYPEMASK) == BS_AUTOCHECKBOX;
        std::wstring shown = windowText(child);
        if ((!label && !checkBox) || shown.empty())
            continue;
        if (!(style & SS_NOPREFIX) || checkBox)
            shown.erase(std::remove(shown.begin(), shown.end(), L'&'), shown.end());
        expectTextWhole("settings label " + std::to_string(++labels), windowRect(child), shown,
                        templateFont(L"MS UI Gothic", 9, 0, dpi), GetSysColor(COLOR_BTNFACE));
    }
    check(labels >= 10, "the settings dialog shows only " + std::to_string(labels) + " labels");
    PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    check(waitFor([&] { return !IsWindow(dialog); }), "the settings dialog did not close");
}

// Everything the user sees at one display scale.
void expectRightAt(int dpi) {
    const DisplayScale scale(dpi);
    App app;
    check(perMonitorAware(app.frame), "vantrel is not aware of each monitor's scale");

    // The caption is the size of the see-through area as the screen shows it, and the X server puts the
    // frame's window where Win32 says: both count the same pixels.
    app.moveFrame(300, 200, 700, 460);
    PatternWindow pattern(patternArea(app));
    const SIZE client = clientSize(app.frame);
    expectEq("caption", expectedCaption(app.frame), windowText(app.frame));
    const RECT seen = seeThroughArea(app, pattern);
    expectEq("caption's W: the see-through area's width", client.cx, seen.right - seen.left);
    expectEq("caption's H: the see-through area's height", client.cy, seen.bottom - seen.top);
    const RECT x = xWindowRect(app.frame), w = windowRect(app.frame);
    sayKey("x_window", rectText(x));
    check(EqualRect(&x, &w), "the X server has the frame at " + rectText(x) + ", Win32 at " + rectText(w));
    expectDocked(app, true, "at " + std::to_string(dpi) + " dpi");

    // Capture takes exactly the pixels beneath and shows them once the screen changes. (The pattern has no
    // key-coloured pixels here: Wine cannot make a keyed window of a client area this large holding that
    // many of them; panel_capture_picture takes them in a smaller one.)
    app.run(IDC_CAPTURE);
    waitCaptured(app);
    const RECT inside = clientRectOnScreen(app.frame);
    pattern.setVariant(2);
    expectScreen(
        inside, [&](int px, int py) { return pattern.colourAt(px, py, 0); }, "picture after Capture");
    app.run(IDC_CLEAR);

    expectRightPosWhole(app, dpi, "dpi_" + std::to_string(dpi));
    expectAboutLinesWhole(app, dpi);
    expectSettingsLabelsWhole(app, dpi);
    expectScaledTip(app, IDC_COPY, dpi);
}

void caseScale96() {
    expectRightAt(96);
}
void caseScale144() {
    expectRightAt(144);
}
void caseScale192() {
    expectRightAt(192);
}

// The layout of the panel's controls (client coordinates) and its client size.
struct ControlRects {
    std::vector<RECT> controls;
    SIZE client{};
};
ControlRects controlRects(const App& app) {
    ControlRects layout;
    for (int id : kScaleIds) {
        RECT r = windowRect(app.button(id));
        MapWindowPoints(nullptr, app.panel, reinterpret_cast<POINT*>(&r), 2);
        layout.controls.push_back(r);
    }
    layout.client = clientSize(app.panel);
    return layout;
}

// A scale change as the system sends it when the windows cross to a monitor of another scale: the frame's
// client area keeps its size and stays where the suggestion allows, the panel lays itself out at the new
// scale and docks again, and its label and tips are drawn at the new scale; going back gives the panel
// exactly as it was.
void caseScaleChangeMessage() {
    App app;
    const RECT start{400, 300, 920, 660};
    app.moveFrame(start.left, start.top, start.right - start.left, start.bottom - start.top);
    const RECT window = windowRect(app.frame), client = clientRectOnScreen(app.frame);
    const std::wstring caption = windowText(app.frame);
    const RECT m144 = nonClientMargins(app.frame, 144);
    const LONG w = window.right - window.left, h = window.bottom - window.top;
    sayKey("margins_144", rectText(m144));

    struct Suggestion {
        const char* name;
        RECT suggested;
        POINT clientAt; // where the client area's top-left corner must be
    };
    const RECT inPlace{window.left, window.top, window.left + w * 3 / 2, window.top + h * 3 / 2};
    const RECT onTheRight{window.left + 1000, window.top + 40, window.left + 1000 + w * 3 / 2,
                          window.top + 40 + h * 3 / 2};
    const Suggestion suggestions[] = {
        // With room around the frame nothing of the client area moves.
        {"room around the frame",
         {window.left - 150, window.top - 150, window.right + 300, window.bottom + 300},
         {client.left, client.top}},
        // The system's suggestion for a change in place: the frame, grown at 144 dpi, starts at its corner.
        {"in place, one and a half times", inPlace, {inPlace.left + m144.left, inPlace.top + m144.top}},
        // Crossing to a monitor on the right: the frame goes into the suggestion, at its left edge.
        {"on a monitor to the right", onTheRight, {onTheRight.left + m144.left, onTheRight.top + m144.top}},
    };
    for (const Suggestion& s : suggestions) {
        app.moveFrame(start.left, start.top, start.right - start.left, start.bottom - start.top);
        // The window manager's late answer to an earlier move would put a window back for a moment.
        waitSettled(app, std::string(s.name) + ": before the change");
        sendDpiChanged(app.process.handle(), app.frame, 144, s.suggested);
        waitSettled(app, std::string(s.name) + ": after the change");
        const RECT now = clientRectOnScreen(app.frame);
        sayKey((std::string(s.name) + "_client").c_str(), rectText(now));
        expectEq(std::string(s.name) + ": caption (the client area's size is kept)", caption,
                 windowText(app.frame));
        expectEq(std::string(s.name) + ": client width", client.right - client.left, now.right - now.left);
        expectEq(std::string(s.name) + ": client height", client.bottom - client.top, now.bottom - now.top);
        expectEq(std::string(s.name) + ": client area's left edge", s.clientAt.x, now.left);
        expectEq(std::string(s.name) + ": client area's top edge", s.clientAt.y, now.top);
        expectDocked(app, true, s.name);
    }
    // A move onto a monitor of another scale, as the system sends it: first the window size it proposes at
    // the new scale, then the change, with the suggestion at the other monitor and of the size the frame
    // answered. Crossing as it is, the proposal is the present window scaled; a move that also resizes the
    // frame (another program asking for a larger window) proposes that size scaled. Either way the client
    // area keeps the size in pixels of the window asked for and lands in the suggestion.
    const struct {
        const char* name;
        SIZE window; // the window at 96 dpi whose scaling the system proposes
    } moves[] = {
        {"crossing as it is", {w, h}},
        {"moved and resized", {w + 100, h + 60}},
    };
    for (const auto& m : moves) {
        const std::string row = std::string(m.name) + ": ";
        app.moveFrame(start.left, start.top, start.right - start.left, start.bottom - start.top);
        waitSettled(app, row + "before the move");
        const SIZE kept{m.window.cx - (w - (client.right - client.left)),
                        m.window.cy - (h - (client.bottom - client.top))};
        const SIZE answer = sendGetDpiScaledSize(
            app.process.handle(), app.frame, 144,
            SIZE{MulDivRounded(m.window.cx, 144, 96), MulDivRounded(m.window.cy, 144, 96)});
        expectEq(row + "answered width", kept.cx + m144.left + m144.right, answer.cx);
        expectEq(row + "answered height", kept.cy + m144.top + m144.bottom, answer.cy);
        const RECT there{window.left + 1000, window.top + 40, window.left + 1000 + answer.cx,
                         window.top + 40 + answer.cy};
        sendDpiChanged(app.process.handle(), app.frame, 144, there);
        waitSettled(app, row + "after the move");
        const RECT now = clientRectOnScreen(app.frame);
        sayKey((std::string(m.name) + "_client").c_str(), rectText(now));
        const RECT expected{there.left + m144.left, there.top + m144.top, there.left + m144.left + kept.cx,
                            there.top + m144.top + kept.cy};
        check(EqualRect(&now, &expected),
              row + "the client area is at " + rectText(now) + ", expected " + rectText(expected));
        expectEq(row + "caption",
                 L"Vantrel W:" + std::to_wstring(kept.cx) + L" H:" + std::to_wstring(kept.cy),
                 windowText(app.frame));
        expectDocked(app, true, m.name);
    }

    // Back to 96 dpi where it is: nothing moves.
    const RECT before = clientRectOnScreen(app.frame);
    sendDpiChanged(app.process.handle(), app.frame, 96, windowRect(app.frame));
    waitSettled(app, "back at 96 dpi");
    const RECT after = clientRectOnScreen(app.frame);
    check(EqualRect(&before, &after),
          "back at 96 dpi the client area moved from " + rectText(before) + " to " + rectText(after));

    // The panel at 144 dpi: every edge of its layout one and a half times as far out, Right Pos wide
    // enough for its label, docked again; its tips drawn at 144 dpi.
    const ControlRects made = controlRects(app);
    const RECT panel = windowRect(app.panel);
    sendDpiChanged(app.process.handle(), app.panel, 144,
                   RECT{panel.left, panel.top, panel.left + (panel.right - panel.left) * 3 / 2,
                        panel.top + (panel.bottom - panel.top) * 3 / 2});
    waitSettled(app, "panel at 144 dpi");
    const ControlRects scaled = controlRects(app);
    auto at144 = [](LONG v) { return MulDivRounded(v, 144, 96); };
    for (size_t i = 0; i < made.controls.size(); ++i) {
        const RECT& a = made.controls[i];
        const RECT& b = scaled.controls[i];
        const std::string name = "control " + std::to_string(kScaleIds[i]) + " at 144 dpi";
        sayKey(name.c_str(), rectText(b));
        expectEq(name + ": left", at144(a.left), b.left);
        expectEq(name + ": top", at144(a.top), b.top);
        expectEq(name + ": bottom", at144(a.bottom), b.bottom);
        check(b.right >= at144(a.right), name + ": narrower than the scale makes it");
    }
    check(scaled.client.cx >= at144(made.client.cx) && scaled.client.cy == at144(made.client.cy),
          "the panel's client area is not one and a half times as large");
    expectDocked(app, true, "panel at 144 dpi");
    expectRightPosWhole(app, 144, "panel_at_144");
    expectScaledTip(app, IDC_COPY, 144);

    // And back: exactly the layout the dialog manager made.
    const RECT larger = windowRect(app.panel);
    sendDpiChanged(app.process.handle(), app.panel, 96, larger);
    waitSettled(app, "panel back at 96 dpi");
    const ControlRects back = controlRects(app);
    for (size_t i = 0; i < made.controls.size(); ++i)
        check(EqualRect(&made.controls[i], &back.controls[i]),
              "control " + std::to_string(kScaleIds[i]) + " is at " + rectText(back.controls[i]) +
                  " back at 96 dpi, not " + rectText(made.controls[i]));
    expectEq("panel's client width back at 96 dpi", made.client.cx, back.client.cx);
    expectEq("panel's client height back at 96 dpi", made.client.cy, back.client.cy);
    expectDocked(app, true, "panel back at 96 dpi");
    expectRightPosWhole(app, 96, "panel_back_at_96");
    expectScaledTip(app, IDC_COPY, 96);
}

const RegisterCase kDisplayScaleCases[] = {
    {"scale_96_dpi", caseScale96},
    {"scale_144_dpi", caseScale144},
    {"scale_192_dpi", caseScale192},
    {"scale_change_message", caseScaleChangeMessage},
};

} // namespace
