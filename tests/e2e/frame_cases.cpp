// End-to-end cases of the frame: its window, its see-through client area, its caption, the keys that end
// the program and the About box its window menu opens.
#include "tests/e2e/app.h"
#include "tests/e2e/case_registry.h"
#include "tests/e2e/console.h"
#include "tests/e2e/input.h"
#include "tests/e2e/report.h"
#include "tests/e2e/screen.h"
#include "tests/e2e/window_lookup.h"
#include "tests/support/text.h"

#include "res/resource.h"
#include "res/version.h"

#include <algorithm>

using namespace e2e;
using namespace support;

namespace {

// The About box shows the version with hyphens: "Vantrel Ver.:1-0-1-105".
const wchar_t kVersionText[] = L"Vantrel Ver.:" VANTREL_VERSION_JOINED("-");
// The last window-menu command that opens the About box.
constexpr WPARAM kAboutCommandLast = IDM_ABOUTBOX | 0x000F;
constexpr COLORREF kKeyColour = RGB(1, 0, 0);

// Where a window of the given size lands when centred on a point and then kept inside the work area.
POINT centredPosition(POINT on, LONG width, LONG height) {
    RECT wa = workArea();
    LONG left = on.x - width / 2, top = on.y - height / 2;
    left = std::max(wa.left, std::min(left, wa.right - width));
    top = std::max(wa.top, std::min(top, wa.bottom - height));
    return POINT{left, top};
}

void expectCentred(const std::string& what, HWND hwnd, POINT on) {
    RECT r = windowRect(hwnd);
    POINT want = centredPosition(on, r.right - r.left, r.bottom - r.top);
    sayKey((what + "_rect").c_str(), rectText(r));
    expectNear(what + " left (centred on x=" + std::to_string(on.x) + ")", want.x, r.left, 1);
    expectNear(what + " top (centred on y=" + std::to_string(on.y) + ")", want.y, r.top, 1);
}

HWND dlgItem(HWND dialog, int id, const std::string& what) {
    HWND item = GetDlgItem(dialog, id);
    check(item != nullptr, what + ": the About box has no control with id " + std::to_string(id));
    return item;
}

// Opens the About box through a window menu command, checks its caption and placement (centred on the screen,
// wherever the frame is: its owner is disabled while it runs), reads the version text
// and, when it is the expected one, closes the box with its OK button. On a failure the box is left open for
// the screenshot (cleanup closes it).
std::wstring aboutText(const Process& p, HWND frame, WPARAM command, const wchar_t* expectedText = nullptr,
                       const std::string& when = "") {
    std::string step = "About" + (when.empty() ? "" : " " + when) + " (WM_SYSCOMMAND " +
                       hex(reinterpret_cast<void*>(command)) + ")";
    HWND about = openAboutBox(p, frame, command, 10000);
    if (!about) {
        for (HWND w : topLevelWindows(p.pid(), L"#32770", false))
            if (windowText(w) == kAboutCaption)
                fail(step + ": the About box was created but is not visible; windows of the process:" +
                     describeWindows(p.pid()));
        fail(step +
             ": no About window appeared within 10 s; windows of the process:" + describeWindows(p.pid()));
    }
    sayKey("about", hex(about));
    expectEq(step + ": class", L"#32770", className(about));
    expectEq(step + ": caption", kAboutCaption, windowText(about));
    expectCentred("about", about, centre(workArea()));
    std::wstring text = windowText(dlgItem(about, IDC_VERSION, step));
    sayKey("about_text", quoted(text));
    if (expectedText)
        expectEq(step + ": text of control " + std::to_string(IDC_VERSION), expectedText, text);
    check(sendMessageTimeout(dlgItem(about, IDOK, step), BM_CLICK, 0, 0),
          step + ": BM_CLICK on OK timed out");
    check(waitFor([&] { return !IsWindow(about); }, 5000), step + ": the About box is still open after OK");
    check(IsWindow(frame) && IsWindowVisible(frame) && p.running(),
          step + ": the frame is gone after the About box");
    return text;
}

void expectAbout(const Process& p, HWND frame, WPARAM command, const wchar_t* expectedText,
                 const std::string& when) {
    aboutText(p, frame, command, expectedText, when);
}

// ---------------------------------------------------------------- frame

void caseFrameWindow() {
    Process p(vantrel());
    HWND frame = waitForFrame(p);
    sayKey("frame_class", className(frame));
    sayKey("frame_caption", windowText(frame));
    expectEq("frame class", L"#32770", className(frame));
    check(GetAncestor(frame, GA_PARENT) == GetDesktopWindow() && !GetWindow(frame, GW_OWNER),
          "the frame is not an unowned top-level window");
    check(IsWindowVisible(frame), "the frame is not visible");
    expectEq("frame caption", expectedCaption(frame), windowText(frame));

    LONG_PTR ex = GetWindowLongPtrW(frame, GWL_EXSTYLE);
    sayKey("frame_exstyle", hex(reinterpret_cast<void*>(ex)));
    check(ex & WS_EX_TOPMOST, "the frame is not topmost (WS_EX_TOPMOST missing)");
    check(ex & WS_EX_LAYERED, "the frame is not layered (WS_EX_LAYERED missing)");
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    if (GetLayeredWindowAttributes(frame, &key, &alpha, &flags)) {
        sayKey("layered_key", colourText((GetRValue(key) << 16) | (GetGValue(key) << 8) | GetBValue(key)));
        sayKey("layered_flags", flags);
        check(flags & LWA_COLORKEY, "LWA_COLORKEY is not set on the frame");
        expectEq("colour key", static_cast<long long>(kKeyColour), static_cast<long long>(key));
    }

    sayKey("work_area", rectText(workArea()));
    expectCentred("frame", frame, centre(workArea()));

    // Besides the frame, the only window is the operation panel, owned by the frame.
    std::vector<HWND> windows = topLevelWindows(p.pid(), nullptr);
    std::string list;
    for (HWND w : windows)
        list += " " + quoted(className(w)) + ":" + quoted(windowText(w));
    check(windows.size() == 2,
          "expected the frame and the panel as the visible windows of vantrel, found" + list);
    HWND panel = windows[0] == frame ? windows[1] : windows[0];
    expectEq("panel caption", std::wstring(L"Operation"), windowText(panel));
    check(GetWindow(panel, GW_OWNER) == frame, "the panel is not owned by the frame");
    expectNoConsole(p, "");
    closeOrFail(p, "");
    expectEq("exit code", 0, p.exitCode());
}

// Visible top-level windows above `below` in the z-order that overlap `area`, except `except`.
std::string windowsOver(const RECT& area, HWND below, HWND except) {
    std::string out;
    for (HWND w = GetTopWindow(nullptr); w && w != below; w = GetWindow(w, GW_HWNDNEXT)) {
        RECT r = windowRect(w), overlap;
        if (w == except || !IsWindowVisible(w) || !IntersectRect(&overlap, &r, &area))
            continue;
        out += " [" + hex(w) + " pid=" + std::to_string(windowPid(w)) + " class=" + quoted(className(w)) +
               " caption=" + quoted(windowText(w)) + " " + rectText(r) + "]";
    }
    return out.empty() ? " none" : out;
}

void caseFrameSeeThrough() {
    Process p(vantrel());
    HWND frame = waitForFrame(p);
    RECT client = clientRectOnScreen(frame);
    RECT outer = windowRect(frame);
    sayKey("frame_client", rectText(client));
    sayKey("frame_window", rectText(outer));
    check(client.right > client.left && client.bottom > client.top, "the frame has an empty client area");

    RECT under = outer;
    InflateRect(&under, 48, 48);
    PatternWindow pattern(under);
    int zFrame = zIndex(frame), zPattern = zIndex(pattern.hwnd());
    sayKey("z_frame", zFrame);
    sayKey("z_pattern", zPattern);
    check(zFrame >= 0 && zPattern > zFrame, "the pattern window is not below the frame in the z-order");

    // Every client pixel must show the pattern beneath; poll while the screen settles.
    size_t bad = 0;
    int firstX = -1, firstY = -1, keyPixels = 0;
    uint32_t firstWant = 0, firstGot = 0;
    auto compare = [&] {
        Pixels px = captureScreen(client);
        bad = 0;
        keyPixels = 0;
        for (int y = 0; y < px.height; ++y)
            for (int x = 0; x < px.width; ++x) {
                uint32_t got = px.at(x, y), want = pattern.expectedAt(client.left + x, client.top + y);
                if (got == 0x010000)
                    ++keyPixels;
                if (got != want && bad++ == 0) {
                    firstX = client.left + x, firstY = client.top + y;
                    firstWant = want, firstGot = got;
                }
            }
        return bad == 0;
    };
    bool clear = waitFor(compare, 5000, 100);
    sayKey("client_pixels",
           static_cast<long long>(client.right - client.left) * (client.bottom - client.top));
    sayKey("mismatched_pixels", static_cast<unsigned long long>(bad));
    sayKey("key_colour_pixels_seen", keyPixels);
    if (!clear)
        fail(std::to_string(bad) + " client pixels do not show the pattern beneath; first at screen (" +
             std::to_string(firstX) + "," + std::to_string(firstY) + "): expected " + colourText(firstWant) +
             " got " + colourText(firstGot) +
             "; other windows above the pattern there:" + windowsOver(client, pattern.hwnd(), frame));

    // The frame's own border must be drawn over the pattern, or the check above proves nothing.
    if (!EqualRect(&client, &outer)) {
        Pixels px = captureScreen(outer);
        long border = 0, covered = 0;
        for (int y = 0; y < px.height; ++y)
            for (int x = 0; x < px.width; ++x) {
                POINT pt{outer.left + x, outer.top + y};
                if (PtInRect(&client, pt))
                    continue;
                ++border;
                if (px.at(x, y) != pattern.expectedAt(pt.x, pt.y))
                    ++covered;
            }
        sayKey("border_pixels", border);
        sayKey("border_pixels_drawn_by_frame", covered);
        check(covered > border / 2, "the frame's border is not drawn over the pattern window (only " +
                                        std::to_string(covered) + " of " + std::to_string(border) +
                                        " border pixels differ from the pattern)");
    }
    closeOrFail(p, "");
}

void caseFrameResizeCaption() {
    Process p(vantrel());
    HWND frame = waitForFrame(p);
    expectEq("initial caption", expectedCaption(frame), windowText(frame));
    const SIZE sizes[] = {{900, 650}, {1201, 777}, {701, 503}, {1000, 600}};
    SIZE previous = clientSize(frame);
    for (SIZE s : sizes) {
        std::string row = "resize to " + std::to_string(s.cx) + "x" + std::to_string(s.cy);
        check(SetWindowPos(frame, nullptr, 0, 0, s.cx, s.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE),
              row + ": SetWindowPos failed");
        RECT r = windowRect(frame);
        SIZE now = clientSize(frame);
        say("row=" + row + " window=" + rectText(r) + " caption=" + narrow(windowText(frame)));
        check(now.cx != previous.cx || now.cy != previous.cy, row + ": the client size did not change");
        expectEq(row + ": caption", expectedCaption(frame), windowText(frame));
        previous = now;
    }
    closeOrFail(p, "");
}

// ---------------------------------------------------------------- keyboard

void caseKeysEndProgram() {
    const struct {
        const char* name;
        std::vector<WORD> keys;
        bool ends;
    } rows[] = {
        {"enter", {VK_RETURN}, true},
        {"escape", {VK_ESCAPE}, true},
        {"alt_f4", {VK_MENU, VK_F4}, true},
        {"letter_a_keeps_running", {'A'}, false}, // shows that the keys, not the way they are sent, end it
    };
    for (auto& r : rows) {
        std::string row = std::string("row ") + r.name + ": ";
        Process p(vantrel());
        HWND frame = waitForFrame(p);
        check(bringToFront(frame), row + "could not make the frame the foreground window (foreground is " +
                                       hex(GetForegroundWindow()) + ")");
        pressChord(r.keys);
        if (r.ends) {
            check(p.waitExit(5000), row + "vantrel still running 5 s after the keys");
            expectEq(row + "exit code", 0, p.exitCode());
        } else {
            check(!p.waitExit(1000), row + "vantrel ended (exit code " + std::to_string(p.exitCode()) + ")");
            check(IsWindowVisible(frame), row + "the frame is no longer visible");
            closeOrFail(p, row);
        }
        say(std::string("row_ok=") + r.name);
    }
}

// ---------------------------------------------------------------- About box

void caseAboutBox() {
    Process p(vantrel());
    HWND frame = waitForFrame(p);
    // Away from the screen's centre, so that a box centred over the frame would show.
    check(SetWindowPos(frame, nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE),
          "SetWindowPos on the frame failed");
    expectAbout(p, frame, IDM_ABOUTBOX, kVersionText, "first opening");
    expectAbout(p, frame, kAboutCommandLast, kVersionText, "second opening");
    closeOrFail(p, "");
    expectEq("exit code", 0, p.exitCode());
}

const RegisterCase kFrameCases[] = {
    {"frame_window", caseFrameWindow},
    {"frame_see_through", caseFrameSeeThrough},
    {"frame_resize_caption", caseFrameResizeCaption},
    {"keys_end_program", caseKeysEndProgram},
    {"about_box", caseAboutBox},
};

} // namespace
