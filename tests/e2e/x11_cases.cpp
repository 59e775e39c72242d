// End-to-end cases that need the X server itself: a real pointer drag on the panel's caption (the window
// manager runs the frame's move) and the picture that X11's clipboard offers other programs after Copy.
// Windows input APIs inside Wine never reach the window manager, so the driver runs the native tools
// (xdotool, xclip) itself: Wine starts a Unix program given its drive path (Z:\bin\sh), but gives back
// no process handle and does not carry a pipe's data, so each tool runs from a small shell script that
// leaves its output and exit code in files of a temporary folder.
#include "tests/e2e/app.h"
#include "tests/e2e/case_registry.h"
#include "tests/e2e/input.h"
#include "tests/e2e/report.h"
#include "tests/e2e/screen.h"
#include "tests/e2e/unix_tools.h"
#include "tests/e2e/wait.h"
#include "tests/e2e/window_lookup.h"
#include "tests/e2e/x_input.h"
#include "tests/support/stopwatch.h"

#include "res/resource.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

using namespace e2e;
using namespace support;

namespace {

// ---------------------------------------------------------------- native tools

// Moves the pointer to `to` in steps, as a hand does.
void glidePointer(POINT from, POINT to, int steps) {
    for (int i = 1; i <= steps; ++i) {
        pointerTo(POINT{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
        Sleep(40);
    }
}

// ---------------------------------------------------------------- the program

bool sameRect(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

// Waits until neither window has moved for 300 ms (the window manager may lag behind the pointer).
void waitSettled(const App& app) {
    RECT f = windowRect(app.frame), p = windowRect(app.panel);
    Stopwatch still;
    waitFor(
        [&] {
            RECT nf = windowRect(app.frame), np = windowRect(app.panel);
            if (!sameRect(nf, f) || !sameRect(np, p)) {
                f = nf;
                p = np;
                still = Stopwatch();
            }
            return still.ms() >= 300;
        },
        5000, 20);
}

// ---------------------------------------------------------------- caption drag

// Where the X server shows a window's top-left corner. During a move the window manager runs, Wine learns
// the new place only when the move ends (openbox reports it then), and a window stuck to the pointer moves
// on the X side alone: this is where both are seen.
POINT xPosition(HWND hwnd, const std::string& what) {
    const RECT r = xWindowRects({hwnd}, what).front();
    return POINT{r.left, r.top};
}

std::string pointText(POINT p) {
    return "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
}

// The middle of the panel's caption, which must answer HTCAPTION.
POINT panelCaptionPoint(const App& app) {
    RECT w = windowRect(app.panel), c = clientRectOnScreen(app.panel);
    POINT at{(w.left + w.right) / 2, (w.top + c.top) / 2};
    DWORD_PTR hit = 0;
    sendMessageTimeout(app.panel, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y), 5000, &hit);
    expectEq("hit test at the middle of the panel's caption " + pointText(at), HTCAPTION,
             static_cast<LRESULT>(hit));
    return at;
}

constexpr LONG kLag = 3; // what the window manager may lag behind the pointer or snap

// Drags the panel's caption by (dx, dy) in steps with the real pointer. After every step the frame must
// stand where the pointer took it on the screen; once the button is up the frame has moved by the drag
// and the panel is docked beside it again. Returns where the pointer ended.
POINT dragPanelCaption(const App& app, int dx, int dy, const std::string& what) {
    constexpr int kSteps = 10;
    const RECT f0 = windowRect(app.frame);
    const POINT grab = panelCaptionPoint(app);
    sayKey((what + "_grab").c_str(), pointText(grab));
    pointerTo(grab);
    Sleep(150);
    int win32Followed = 0;
    {
        HeldButton button;
        Sleep(150);
        for (int i = 1; i <= kSteps; ++i) {
            const POINT want{f0.left + dx * i / kSteps, f0.top + dy * i / kSteps};
            pointerTo(POINT{grab.x + dx * i / kSteps, grab.y + dy * i / kSteps});
            Sleep(30);
            POINT seen{};
            bool followed = waitFor(
                [&] {
                    seen = xPosition(app.frame, what);
                    return std::abs(seen.x - want.x) <= kLag && std::abs(seen.y - want.y) <= kLag;
                },
                2000, 10);
            if (!followed)
                fail(what + ": step " + std::to_string(i) + " of the drag: the frame is at " +
                     pointText(seen) + " on the screen, expected near " + pointText(want) +
                     " (it does not follow the pointer)");
            if (windowRect(app.frame).left != f0.left)
                ++win32Followed;
        }
        button.release();
    }
    sayKey((what + "_steps_known_to_windows").c_str(), win32Followed);
    waitSettled(app);
    const RECT f = windowRect(app.frame);
    sayKey((what + "_frame_after").c_str(), rectText(f));
    expectNear(what + ": frame left after the drag", f0.left + dx, f.left, kLag);
    expectNear(what + ": frame top after the drag", f0.top + dy, f.top, kLag);
    expectEq(what + ": frame width after the drag", f0.right - f0.left, f.right - f.left);
    expectEq(what + ": frame height after the drag", f0.bottom - f0.top, f.bottom - f.top);
    const POINT onScreen = xPosition(app.frame, what);
    check(onScreen.x == f.left && onScreen.y == f.top, what + ": the frame is at " + pointText(onScreen) +
                                                           " on the screen but Windows has " + rectText(f));
    expectDocked(app, true, what + " after the drag");
    return POINT{grab.x + dx, grab.y + dy};
}

// The panel is the active window, and stays so.
void expectPanelActive(const App& app, const std::string& what) {
    bool active = waitFor([&] { return GetForegroundWindow() == app.panel; }, 2000);
    HWND fg = GetForegroundWindow();
    sayKey((what + "_foreground").c_str(), hex(fg) + (fg == app.frame   ? " (frame)"
                                                      : fg == app.panel ? " (panel)"
                                                                        : ""));
    check(active, what + ": the panel is not the active window (" + hex(fg) + " is; frame " + hex(app.frame) +
                      ", panel " + hex(app.panel) + ")");
    Sleep(500);
    check(GetForegroundWindow() == app.panel,
          what + ": the panel lost the activation within 0.5 s to " + hex(GetForegroundWindow()));
}

// Neither window follows the pointer: the pointer glides from `from` to `spot`, clicks there and glides
// on, and both windows stay where they are, on the screen as well as for Windows. A window left stuck to
// the pointer is put down by the click before the case ends.
void expectNothingFollows(const App& app, POINT from, POINT spot, const std::string& what) {
    const RECT f = windowRect(app.frame), p = windowRect(app.panel);
    auto expectStill = [&](const std::string& when) {
        Sleep(300);
        const RECT nf = windowRect(app.frame), np = windowRect(app.panel);
        check(sameRect(nf, f) && sameRect(np, p),
              what + ": " + when + " the frame moved from " + rectText(f) + " to " + rectText(nf) +
                  ", the panel from " + rectText(p) + " to " + rectText(np));
        for (HWND w : {app.frame, app.panel}) {
            const RECT r = w == app.frame ? f : p;
            const POINT x = xPosition(w, what);
            check(x.x == r.left && x.y == r.top,
                  what + ": " + when + " the " + (w == app.frame ? "frame" : "panel") + " is at " +
                      pointText(x) + " on the screen instead of " + pointText(POINT{r.left, r.top}) +
                      " (it follows the pointer)");
        }
    };
    glidePointer(from, spot, 8);
    try {
        expectStill("after the pointer moved away");
    } catch (const CaseFailure&) {
        click(); // puts the stuck window down
        throw;
    }
    click();
    expectStill("after a click elsewhere");
    glidePointer(spot, POINT{spot.x - 60, spot.y - 40}, 4);
    expectStill("after the pointer moved on");
}

// Clicks on the panel's caption without moving; `pauseMs` between press and release (0: none at all).
void clickPanelCaption(const App& app, DWORD pauseMs) {
    pointerTo(panelCaptionPoint(app));
    Sleep(150);
    if (pauseMs == 0) {
        xdotool("mousedown 1 mouseup 1");
        return;
    }
    HeldButton button;
    Sleep(pauseMs);
    button.release();
}

// A corner of the screen, away from the windows, with a pattern window of the driver to click on.
RECT awayArea() {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    return RECT{w - 360, h - 300, w - 60, h - 60};
}

// Pressing on the panel's caption and dragging moves the frame, which the panel follows; afterwards the
// panel is the active window and nothing sticks to the pointer. A second drag shows that the first left
// no move of the window manager behind, and a click on the caption moves nothing.
void caseCaptionDrag() {
    App app;
    app.moveFrame(400, 300, 500, 350);
    expectDocked(app, true, "before the drags");
    PatternWindow away(awayArea(), 0);
    const POINT spot = centre(away.rect());
    struct Drag {
        const char* name;
        int dx, dy;
    };
    const Drag drags[] = {{"first_drag", 150, 90}, {"second_drag", -120, -70}};
    for (const Drag& d : drags) {
        const POINT pointer = dragPanelCaption(app, d.dx, d.dy, d.name);
        expectPanelActive(app, d.name);
        expectNothingFollows(app, pointer, spot, d.name);
    }
    const RECT f = windowRect(app.frame);
    clickPanelCaption(app, 150);
    expectEq("frame left after a click on the panel's caption", f.left, windowRect(app.frame).left);
    expectEq("frame top after a click on the panel's caption", f.top, windowRect(app.frame).top);
    expectPanelActive(app, "caption_click");
    expectNothingFollows(app, panelCaptionPoint(app), spot, "caption_click");
}

// A click on the panel's caption with no time between press and release: by the time the panel handles
// the press the button is already up, so nothing may start a move of either window (one started then
// has no button to end it and the window sticks to the pointer until the next click).
void caseCaptionQuickClick() {
    App app;
    app.moveFrame(400, 300, 500, 350);
    PatternWindow away(awayArea(), 0);
    clickPanelCaption(app, 0);
    expectNothingFollows(app, panelCaptionPoint(app), centre(away.rect()), "quick_click");
    expectDocked(app, true, "after the quick click");
    expectPanelActive(app, "quick_click");
}

// ---------------------------------------------------------------- X11 clipboard

// Pixels of a BMP file (24 or 32 bits, BI_RGB or BI_BITFIELDS, bottom-up or top-down); fails on others.
Pixels decodeBmp(const std::string& file, const std::string& what) {
    auto u16 = [&](size_t at) {
        check(at + 2 <= file.size(), what + ": the BMP ends early");
        return static_cast<uint32_t>(static_cast<unsigned char>(file[at]) |
                                     static_cast<unsigned char>(file[at + 1]) << 8);
    };
    auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
    check(file.size() >= 54 && file.compare(0, 2, "BM") == 0,
          what + ": not a BMP file (" + std::to_string(file.size()) + " bytes, starting " +
              quotedBytes(file.substr(0, 16)) + ")");
    const uint32_t offBits = u32(10), headerSize = u32(14);
    const int32_t width = static_cast<int32_t>(u32(18)), height = static_cast<int32_t>(u32(22));
    const uint32_t bits = u16(28), compression = u32(30);
    say(what + "_bmp=" + std::to_string(width) + "x" + std::to_string(height) + " bpp " +
        std::to_string(bits) + " compression " + std::to_string(compression) + " header " +
        std::to_string(headerSize) + " offset " + std::to_string(offBits) + " file " +
        std::to_string(file.size()));
    check(bits == 24 || bits == 32, what + ": unexpected bits per pixel " + std::to_string(bits));
    check(compression == BI_RGB || (compression == BI_BITFIELDS && bits == 32),
          what + ": unexpected compression " + std::to_string(compression));
    uint32_t masks[3] = {0xFF0000, 0x00FF00, 0x0000FF};
    if (compression == BI_BITFIELDS)
        for (int i = 0; i < 3; ++i)
            masks[i] = u32(14 + (headerSize >= 52 ? 40 : headerSize) + 4 * i);
    check(width > 0 && height != 0, what + ": empty BMP");
    Pixels px;
    px.width = width;
    px.height = std::abs(height);
    const size_t stride = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
    check(offBits + stride * px.height <= file.size(), what + ": the BMP's pixels end early");
    auto channel = [](uint32_t value, uint32_t mask) {
        if (!mask)
            return 0u;
        while (!(mask & 1u)) {
            mask >>= 1;
            value >>= 1;
        }
        return value & mask & 0xFF;
    };
    px.rgb.resize(static_cast<size_t>(px.width) * px.height);
    for (int y = 0; y < px.height; ++y) {
        const int fileRow = height > 0 ? px.height - 1 - y : y;
        const unsigned char* row =
            reinterpret_cast<const unsigned char*>(file.data()) + offBits + stride * fileRow;
        for (int x = 0; x < px.width; ++x) {
            uint32_t rgb;
            if (bits == 24) {
                const unsigned char* p = row + x * 3;
                rgb = static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
            } else {
                const unsigned char* p = row + x * 4;
                const uint32_t v = p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
                rgb = channel(v, masks[0]) << 16 | channel(v, masks[1]) << 8 | channel(v, masks[2]);
            }
            px.rgb[static_cast<size_t>(y) * px.width + x] = rgb;
        }
    }
    return px;
}

std::string xClipboardTargets() {
    return runUnix("/usr/bin/xclip -selection clipboard -t TARGETS -o").out;
}

bool offersBmp(const std::string& targets) {
    size_t pos = 0;
    while (pos < targets.size()) {
        size_t end = targets.find('\n', pos);
        if (end == std::string::npos)
            end = targets.size();
        if (targets.compare(pos, end - pos, "image/bmp") == 0)
            return true;
        pos = end + 1;
    }
    return false;
}

// X11's clipboard offers image/bmp, and that picture is exactly expected(screen x, y) over the client area.
template <class Expected>
void expectXClipboardPicture(const RECT& client, Expected expected, const std::string& what) {
    std::string targets;
    bool offered = waitFor(
        [&] {
            targets = xClipboardTargets();
            return offersBmp(targets);
        },
        5000, 100);
    sayKey((what + "_targets").c_str(), quotedBytes(targets));
    check(offered, what + ": X11's clipboard does not offer image/bmp; its targets: " + quotedBytes(targets));
    UnixResult bmp = runUnix("/usr/bin/xclip -selection clipboard -t image/bmp -o");
    check(bmp.exitCode == 0 && !bmp.out.empty(), what + ": xclip could not read image/bmp (exit " +
                                                     std::to_string(bmp.exitCode) + ", stderr " +
                                                     quotedBytes(bmp.err) + ")");
    Pixels px = decodeBmp(bmp.out, what);
    expectEq(what + ": BMP width", client.right - client.left, px.width);
    expectEq(what + ": BMP height", client.bottom - client.top, px.height);
    long bad = 0;
    std::string first;
    for (int y = 0; y < px.height; ++y)
        for (int x = 0; x < px.width; ++x) {
            const uint32_t want = expected(client.left + x, client.top + y), got = px.at(x, y);
            if (got != want && bad++ == 0)
                first = "(" + std::to_string(x) + "," + std::to_string(y) + ") expected " + colourText(want) +
                        " got " + colourText(got);
        }
    if (bad)
        fail(what + ": " + std::to_string(bad) + " BMP pixels differ from the screen captured, first at " +
             first);
}

// Copy hands X11's clipboard the held picture, exactly, each time: a second Copy after the clipboard took
// something else offers it again (the screen beneath has changed meanwhile, so it is the held picture).
void caseClipboardImage() {
    App app;
    app.moveFrame(300, 250, 480, 320);
    RECT f = windowRect(app.frame), p = windowRect(app.panel), both;
    UnionRect(&both, &f, &p);
    InflateRect(&both, 60, 60);
    PatternWindow pattern(both, 1);
    const RECT client = clientRectOnScreen(app.frame);
    sayKey("client", rectText(client));
    auto captured = [&](int x, int y) { return pattern.colourAt(x, y, 1); };
    app.run(IDC_CAPTURE);
    check(waitFor([&] { return IsWindowVisible(app.frame) && IsWindowVisible(app.panel); }),
          "the windows did not come back after Capture");
    pattern.setVariant(2);
    app.run(IDC_COPY);
    expectXClipboardPicture(client, captured, "first_copy");

    putClipboardText(L"not a picture");
    std::string targets;
    check(waitFor(
              [&] {
                  targets = xClipboardTargets();
                  return !targets.empty() && !offersBmp(targets);
              },
              5000, 100),
          "X11's clipboard still offers image/bmp after the driver put text there; targets: " +
              quotedBytes(targets));
    app.run(IDC_COPY);
    expectXClipboardPicture(client, captured, "second_copy");
}

const RegisterCase kX11Cases[] = {
    {"x11_panel_caption_drag", caseCaptionDrag},
    {"x11_panel_caption_quick_click", caseCaptionQuickClick},
    {"x11_clipboard_image", caseClipboardImage},
};

} // namespace
