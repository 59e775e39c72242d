// End-to-end cases of the operation panel: docking beside the frame, the capture cycle (Capture, Clear, Copy,
// Save's refusal, command 1001), the picture shown by pixels, the clipboard, and memory over many cycles.
#include "e2e_util.h"

#include <psapi.h>

#include <algorithm>

using namespace e2e;

namespace {

constexpr int kCaptureToClipboard = 1001;
constexpr int kCapture = 1002;
constexpr int kClear = 1003;
constexpr int kCopy = 1004;
constexpr int kSave = 1005;
constexpr int kRightPos = 1006;
constexpr LRESULT kHtBorder = 18;

const wchar_t kAlreadyCaptured[] =
    L"すでにキャプチャー中です。\r\n再度キャプチャーするにはClearしてください.";
const wchar_t kNothingToCopy[] = L"現在キャプチャイメージを保持していません";
const wchar_t kNothingToSave[] = L"現在キャプチャー中の画像はありません.";
const wchar_t kClipboardBusy[] = L"クリップボードを開けませんでした。\r\n他のアプリケーションが使用中です.";

// vantrel with its frame and panel found.
struct App {
    Process process;
    HWND frame = nullptr;
    HWND panel = nullptr;

    App() : process(launch()) {
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
    ~App() {
        if (!process.closeProperly())
            noteCleanupFailure("vantrel did not end after WM_CLOSE to its windows");
    }
    static LaunchOptions launch() {
        LaunchOptions o;
        o.exe = vantrelPath();
        return o;
    }
    HWND button(int id) const {
        HWND b = GetDlgItem(panel, id);
        check(b != nullptr, "the panel has no control " + std::to_string(id));
        return b;
    }
    // Runs a command to its end (the panel's handler returns before SendMessage does).
    void run(int id) const {
        check(sendMessageTimeout(panel, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                                 reinterpret_cast<LPARAM>(GetDlgItem(panel, id)), 15000),
              "command " + std::to_string(id) + " did not finish");
    }
    // Starts a command that is expected to show a message box, without waiting for it.
    void post(int id) const { PostMessageW(button(id), BM_CLICK, 0, 0); }
    bool layered() const { return (GetWindowLongW(frame, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }
    void moveFrame(int x, int y, int width, int height) const {
        check(SetWindowPos(frame, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE),
              "SetWindowPos on the frame failed");
    }
};

// The message box vantrel shows: a new #32770 window captioned "vantrel" with the text in static 65535.
// Checks the text, presses OK and waits until the box is gone.
void expectMessage(const App& app, const wchar_t* text, const std::string& when) {
    HWND box = nullptr;
    waitFor([&] {
        for (HWND w : topLevelWindows(app.process.pid()))
            if (w != app.frame && w != app.panel && GetDlgItem(w, 0xFFFF))
                box = w;
        return box != nullptr;
    });
    check(box != nullptr, when + ": no message box appeared");
    expectEq(when + ": message box caption", std::wstring(L"vantrel"), windowText(box));
    expectEq(when + ": message text", std::wstring(text), windowText(GetDlgItem(box, 0xFFFF)));
    PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    check(waitFor([&] { return !IsWindow(box); }), when + ": the message box did not close with OK");
}

// No message box of vantrel is open.
void expectNoMessage(const App& app, const std::string& when) {
    Sleep(300);
    for (HWND w : topLevelWindows(app.process.pid()))
        check(w == app.frame || w == app.panel,
              when + ": an unexpected window appeared: " + quoted(windowText(w)));
}

// Compares the screen over rect (clipped to the screen) with expected(x, y); polls while the screen settles.
template <class Expected> void expectScreen(const RECT& rect, Expected expected, const std::string& what) {
    RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, area;
    check(IntersectRect(&area, &rect, &screen), what + ": the area is off the screen");
    long bad = 0;
    std::string first;
    bool same = waitFor(
        [&] {
            Pixels px = captureScreen(area);
            bad = 0;
            for (int y = 0; y < px.height; ++y)
                for (int x = 0; x < px.width; ++x) {
                    uint32_t want = expected(area.left + x, area.top + y), got = px.at(x, y);
                    if (got != want && bad++ == 0)
                        first = "(" + std::to_string(area.left + x) + "," + std::to_string(area.top + y) +
                                ") expected " + colourText(want) + " got " + colourText(got);
                }
            return bad == 0;
        },
        5000, 100);
    if (!same)
        fail(what + ": " + std::to_string(bad) + " pixels differ, first at " + first);
}

// The clipboard's CF_BITMAP as pixels; empty when there is none.
Pixels clipboardBitmap() {
    Pixels px;
    if (!OpenClipboard(nullptr))
        return px;
    if (HBITMAP bmp = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) {
        BITMAP info{};
        GetObjectW(bmp, sizeof info, &info);
        px.width = info.bmWidth;
        px.height = info.bmHeight;
        px.rgb.resize(static_cast<size_t>(px.width) * px.height);
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = px.width;
        bi.bmiHeader.biHeight = -px.height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        HDC dc = GetDC(nullptr);
        GetDIBits(dc, bmp, 0, px.height, px.rgb.data(), &bi, DIB_RGB_COLORS);
        ReleaseDC(nullptr, dc);
        for (uint32_t& c : px.rgb)
            c &= 0xFFFFFF;
    }
    CloseClipboard();
    return px;
}

// Puts a text on the clipboard, so that a command that must not touch the clipboard can be caught.
void putClipboardText(const wchar_t* text) {
    check(OpenClipboard(nullptr), "the driver could not open the clipboard");
    EmptyClipboard();
    size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(mem), text, bytes);
    GlobalUnlock(mem);
    SetClipboardData(CF_UNICODETEXT, mem);
    CloseClipboard();
}

std::wstring clipboardText() {
    std::wstring text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HANDLE mem = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(mem));
        GlobalUnlock(mem);
    }
    CloseClipboard();
    return text;
}

// The clipboard holds a bitmap of the client area's size whose pixels are expected(screen x, y).
template <class Expected>
void expectClipboardPicture(const RECT& client, Expected expected, const std::string& what) {
    Pixels px = clipboardBitmap();
    expectEq(what + ": clipboard bitmap width", client.right - client.left, px.width);
    expectEq(what + ": clipboard bitmap height", client.bottom - client.top, px.height);
    long bad = 0;
    for (int y = 0; y < px.height; ++y)
        for (int x = 0; x < px.width; ++x)
            if (px.at(x, y) != expected(client.left + x, client.top + y))
                ++bad;
    expectEq(what + ": clipboard pixels that differ from the screen captured", 0, bad);
}

// A pattern window under the frame and the panel, and far beyond them.
RECT patternArea(const App& app) {
    RECT f = windowRect(app.frame), p = windowRect(app.panel), both;
    UnionRect(&both, &f, &p);
    InflateRect(&both, 60, 60);
    return both;
}

// The frame's client area on screen once a capture has finished and both windows are back.
void waitCaptured(const App& app) {
    check(waitFor([&] { return !app.layered() && IsWindowVisible(app.frame) && IsWindowVisible(app.panel); }),
          "the frame did not come back in the picture look");
}

// ---------------------------------------------------------------- docking

void expectDocked(const App& app, bool right, const std::string& when) {
    RECT f = windowRect(app.frame), p = windowRect(app.panel);
    sayKey((when + "_frame").c_str(), rectText(f));
    sayKey((when + "_panel").c_str(), rectText(p));
    if (right)
        expectEq(when + ": panel left edge on the frame's right edge", f.right, p.left);
    else
        expectEq(when + ": panel right edge on the frame's left edge", f.left, p.right);
    expectEq(when + ": panel top level with the frame's", f.top, p.top);
}

void casePanelDocking() {
    App app;
    RECT start = windowRect(app.panel);
    const LONG width = start.right - start.left, height = start.bottom - start.top;
    expectEq("Right Pos ticked at start", BST_CHECKED,
             SendMessageW(app.button(kRightPos), BM_GETCHECK, 0, 0));
    expectDocked(app, true, "at start");

    // The panel follows every move and size, also onto negative coordinates and past the screen's edge.
    struct Move {
        int x, y, w, h;
    };
    const Move moves[] = {
        {200, 150, 600, 400}, {-120, -60, 500, 300}, {2300, 900, 450, 350}, {300, 200, 777, 555}};
    for (const Move& m : moves) {
        app.moveFrame(m.x, m.y, m.w, m.h);
        std::string when = "frame at " + std::to_string(m.x) + "," + std::to_string(m.y);
        expectDocked(app, true, when);
        RECT p = windowRect(app.panel);
        expectEq(when + ": panel width", width, p.right - p.left);
        expectEq(when + ": panel height", height, p.bottom - p.top);
        SIZE c = clientSize(app.frame);
        expectEq(when + ": caption", L"Vantrel W:" + std::to_wstring(c.cx) + L" H:" + std::to_wstring(c.cy),
                 windowText(app.frame));
    }

    // Unticking Right Pos docks the panel on the left at once; ticking it docks it on the right again.
    SendMessageW(app.button(kRightPos), BM_CLICK, 0, 0);
    expectDocked(app, false, "Right Pos unticked");
    app.moveFrame(400, 300, 500, 350);
    expectDocked(app, false, "moved while docked left");
    SendMessageW(app.button(kRightPos), BM_CLICK, 0, 0);
    expectDocked(app, true, "Right Pos ticked again");
}

// ---------------------------------------------------------------- capture cycle

// Capture shows exactly what lay under the client area, key-coloured pixels included, and keeps showing it
// after the screen beneath changes; Clear makes the frame see-through again.
void caseCapturePicture() {
    App app;
    app.moveFrame(300, 250, 640, 420);
    PatternWindow pattern(patternArea(app), 1);
    const RECT client = clientRectOnScreen(app.frame);
    expectScreen(
        client, [&](int x, int y) { return pattern.expectedAt(x, y); }, "see-through before Capture");

    app.run(kCapture);
    waitCaptured(app);
    auto captured = [&](int x, int y) {
        return patternColour(x - pattern.rect().left, y - pattern.rect().top, 1);
    };
    expectScreen(client, captured, "picture after Capture");
    pattern.setVariant(2);
    expectScreen(client, captured, "picture after the screen beneath changed");
    expectNoMessage(app, "after Capture");

    app.run(kClear);
    check(app.layered(), "Clear did not make the frame layered again");
    expectScreen(
        client, [&](int x, int y) { return pattern.expectedAt(x, y); }, "see-through after Clear");

    // A second cycle takes the client size of its own moment.
    app.moveFrame(320, 260, 500, 300);
    const RECT smaller = clientRectOnScreen(app.frame);
    app.run(kCapture);
    waitCaptured(app);
    pattern.setVariant(0);
    expectScreen(
        smaller,
        [&](int x, int y) { return patternColour(x - pattern.rect().left, y - pattern.rect().top, 2); },
        "second picture");
    app.run(kCopy);
    expectClipboardPicture(
        smaller,
        [&](int x, int y) { return patternColour(x - pattern.rect().left, y - pattern.rect().top, 2); },
        "second picture copied");
}

// The frame partly beyond the left and top edges of the screen: what is on the screen is captured exactly.
void caseCaptureOffScreen() {
    App app;
    app.moveFrame(-150, -90, 600, 400);
    RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    PatternWindow pattern(screen, 1);
    const RECT client = clientRectOnScreen(app.frame);
    sayKey("client", rectText(client));
    check(client.left < 0 && client.top < 0, "the frame's client area did not reach past the screen's edges");
    app.run(kCapture);
    waitCaptured(app);
    auto captured = [&](int x, int y) { return patternColour(x, y, 1); };
    pattern.setVariant(2);
    expectScreen(client, captured, "picture of a frame beyond the screen's edges");
    app.run(kCopy);
    Pixels px = clipboardBitmap();
    expectEq("clipboard bitmap width", client.right - client.left, px.width);
    long bad = 0;
    for (int y = -client.top; y < px.height; ++y)
        for (int x = -client.left; x < px.width; ++x)
            if (px.at(x, y) != captured(client.left + x, client.top + y))
                ++bad;
    expectEq("on-screen clipboard pixels that differ", 0, bad);
}

// Without a picture Copy and Save only say so; with one, Capture only says so and changes nothing.
void caseRefusals() {
    App app;
    PatternWindow pattern(patternArea(app), 0);
    putClipboardText(L"sentinel");
    app.post(kCopy);
    expectMessage(app, kNothingToCopy, "Copy without a picture");
    app.post(kSave);
    expectMessage(app, kNothingToSave, "Save without a picture");
    expectEq("clipboard after the refusals", std::wstring(L"sentinel"), clipboardText());
    check(app.layered(), "a refused command changed the frame's look");

    const RECT client = clientRectOnScreen(app.frame);
    app.run(kCapture);
    waitCaptured(app);
    pattern.setVariant(2);
    app.post(kCapture);
    expectMessage(app, kAlreadyCaptured, "Capture while a picture is held");
    check(IsWindowVisible(app.frame) && IsWindowVisible(app.panel),
          "a window was hidden by the refused Capture");
    expectScreen(
        client,
        [&](int x, int y) { return patternColour(x - pattern.rect().left, y - pattern.rect().top, 0); },
        "picture after the refused Capture");

    // Clear with no picture held: no message, still see-through.
    app.run(kClear);
    app.run(kClear);
    expectNoMessage(app, "Clear twice");
    check(app.layered(), "the frame is not see-through after Clear");
}

// Copy hands the clipboard its own copy: the picture stays shown and can be copied again.
void caseCopy() {
    App app;
    PatternWindow pattern(patternArea(app), 1);
    const RECT client = clientRectOnScreen(app.frame);
    auto captured = [&](int x, int y) {
        return patternColour(x - pattern.rect().left, y - pattern.rect().top, 1);
    };
    app.run(kCapture);
    waitCaptured(app);
    pattern.setVariant(2);
    app.run(kCopy);
    expectClipboardPicture(client, captured, "first Copy");
    putClipboardText(L"something else"); // the clipboard deletes its bitmap; the picture must not go with it
    app.run(kCopy);
    expectClipboardPicture(client, captured, "second Copy");
    expectScreen(client, captured, "picture after two copies");
    expectNoMessage(app, "after Copy");
}

// Another program holding the clipboard open: Copy says so, and nothing is lost.
void caseClipboardBusy() {
    App app;
    PatternWindow pattern(patternArea(app), 1);
    const RECT client = clientRectOnScreen(app.frame);
    auto captured = [&](int x, int y) {
        return patternColour(x - pattern.rect().left, y - pattern.rect().top, 1);
    };
    app.run(kCapture);
    waitCaptured(app);
    putClipboardText(L"held");
    check(OpenClipboard(nullptr), "the driver could not open the clipboard");
    app.post(kCopy);
    expectMessage(app, kClipboardBusy, "Copy while another program holds the clipboard");
    PostMessageW(app.panel, WM_COMMAND, MAKEWPARAM(kCaptureToClipboard, BN_CLICKED), 0);
    expectMessage(app, kClipboardBusy, "1001 while another program holds the clipboard");
    CloseClipboard();
    expectEq("clipboard after the busy copies", std::wstring(L"held"), clipboardText());
    waitCaptured(app);
    app.run(kCopy);
    expectClipboardPicture(client, captured, "Copy once the clipboard is free");
}

// Command 1001 puts the screen under the hidden frame on the clipboard and keeps the held picture.
void caseCaptureToClipboard() {
    App app;
    PatternWindow pattern(patternArea(app), 1);
    const RECT client = clientRectOnScreen(app.frame);
    auto at = [&](int variant) {
        return [&pattern, variant](int x, int y) {
            return patternColour(x - pattern.rect().left, y - pattern.rect().top, variant);
        };
    };
    app.run(kCaptureToClipboard); // no picture held: the frame stays see-through
    expectClipboardPicture(client, at(1), "1001 without a picture");
    check(app.layered(), "1001 changed the frame's look");

    app.run(kCapture);
    waitCaptured(app);
    pattern.setVariant(2);
    app.run(kCaptureToClipboard);
    waitCaptured(app);
    expectClipboardPicture(client, at(2), "1001 with a picture held");
    expectScreen(client, at(1), "held picture after 1001");
    const RECT f = windowRect(app.frame);
    DWORD_PTR hit = 0;
    sendMessageTimeout(app.frame, WM_NCHITTEST, 0, MAKELPARAM(f.right - 2, (f.top + f.bottom) / 2), 5000,
                       &hit);
    expectEq("right border still refuses sizing after 1001", kHtBorder, static_cast<LRESULT>(hit));
}

// While a picture is held every border answers HTBORDER and the caption still moves the frame; after Clear
// the borders size it again.
void caseResizeRefusal() {
    App app;
    app.moveFrame(400, 300, 500, 350);
    const RECT f = windowRect(app.frame);
    const LONG midX = (f.left + f.right) / 2, midY = (f.top + f.bottom) / 2;
    struct Spot {
        const char* name;
        LONG x, y;
        LRESULT sizing;
    };
    const Spot spots[] = {
        {"left", f.left + 1, midY, HTLEFT},
        {"right", f.right - 2, midY, HTRIGHT},
        {"top", midX, f.top + 1, HTTOP},
        {"bottom", midX, f.bottom - 2, HTBOTTOM},
        {"top-left", f.left + 1, f.top + 1, HTTOPLEFT},
        {"bottom-right", f.right - 2, f.bottom - 2, HTBOTTOMRIGHT},
    };
    auto hitAt = [&](LONG x, LONG y) {
        DWORD_PTR r = 0;
        sendMessageTimeout(app.frame, WM_NCHITTEST, 0, MAKELPARAM(x, y), 5000, &r);
        return static_cast<LRESULT>(r);
    };
    for (const Spot& s : spots)
        expectEq(std::string("no picture, ") + s.name, s.sizing, hitAt(s.x, s.y));
    app.run(kCapture);
    waitCaptured(app);
    for (const Spot& s : spots)
        expectEq(std::string("picture held, ") + s.name, kHtBorder, hitAt(s.x, s.y));
    const RECT c = clientRectOnScreen(app.frame);
    expectEq("picture held, caption", HTCAPTION, hitAt(midX, (f.top + c.top) / 2));
    app.run(kClear);
    for (const Spot& s : spots)
        expectEq(std::string("after Clear, ") + s.name, s.sizing, hitAt(s.x, s.y));
}

// Esc in the panel hides it for the rest of the run; the frame keeps working.
void casePanelEsc() {
    App app;
    check(bringToFront(app.panel), "the panel could not be brought to the foreground");
    pressChord({VK_ESCAPE});
    check(waitFor([&] { return !IsWindowVisible(app.panel); }, 5000), "Esc did not hide the panel");
    check(IsWindow(app.frame) && IsWindowVisible(app.frame), "the frame went away with the panel");
    app.moveFrame(100, 120, 640, 480);
    SIZE c = clientSize(app.frame);
    expectEq("caption after Esc in the panel",
             L"Vantrel W:" + std::to_wstring(c.cx) + L" H:" + std::to_wstring(c.cy), windowText(app.frame));
    check(!IsWindowVisible(app.panel), "the panel came back");
}

// 300 cycles of Capture, Copy and Clear on a 1280x800 region leak nothing: a leaked picture is 4 MB.
void caseCycleMemory() {
    App app;
    app.moveFrame(100, 100, 1280, 800);
    RECT c{};
    GetClientRect(app.frame, &c);
    const LONG grow = 1280 - c.right, growY = 800 - c.bottom;
    app.moveFrame(100, 100, 1280 + grow, 800 + growY);
    expectEq("client width", 1280, clientSize(app.frame).cx);
    expectEq("client height", 800, clientSize(app.frame).cy);
    Handle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, app.process.pid()));
    auto privateBytes = [&] {
        PROCESS_MEMORY_COUNTERS_EX pmc{};
        pmc.cb = sizeof pmc;
        GetProcessMemoryInfo(process.get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
        return static_cast<long long>(pmc.PrivateUsage);
    };
    auto cycle = [&] {
        app.run(kCapture);
        app.run(kCopy);
        app.run(kClear);
    };
    cycle();
    const long long first = privateBytes();
    for (int i = 1; i < 300; ++i)
        cycle();
    const long long last = privateBytes();
    sayKey("private_bytes_after_first_cycle", first);
    sayKey("private_bytes_after_300_cycles", last);
    check(last - first < 5LL * 1024 * 1024,
          "private memory grew by " + std::to_string((last - first) / 1024) + " KB over 299 cycles");
    expectNoMessage(app, "after the cycles");
}

const RegisterCase kPanelCases[] = {
    {"panel_docking", casePanelDocking},
    {"panel_capture_picture", caseCapturePicture},
    {"panel_capture_off_screen", caseCaptureOffScreen},
    {"panel_refusals", caseRefusals},
    {"panel_copy", caseCopy},
    {"panel_clipboard_busy", caseClipboardBusy},
    {"panel_capture_to_clipboard", caseCaptureToClipboard},
    {"panel_resize_refusal", caseResizeRefusal},
    {"panel_esc", casePanelEsc},
    {"panel_cycle_memory", caseCycleMemory},
};

} // namespace

namespace {

const wchar_t kCaptureFailed[] =
    L"画面をキャプチャーできませんでした。\r\nキャプチャーする範囲を確かめてください.";

// A capture whose bitmap cannot be made brings the windows back, holds no picture, leaves the frame
// see-through and says so. A frame sized down to an empty client area gives such a capture here.
void caseCaptureFailure() {
    App app;
    app.moveFrame(200, 200, 1, 1);
    SIZE c = clientSize(app.frame);
    sayKey("client_width", static_cast<long long>(c.cx));
    sayKey("client_height", static_cast<long long>(c.cy));
    if (c.cx > 0 && c.cy > 0)
        skip("the frame keeps a client area of " + std::to_string(c.cx) + "x" + std::to_string(c.cy));
    app.post(kCapture);
    expectMessage(app, kCaptureFailed, "Capture that makes no bitmap");
    check(IsWindowVisible(app.frame) && IsWindowVisible(app.panel), "the windows did not come back");
    check(app.layered(), "the frame left the see-through look although nothing was captured");
    app.moveFrame(100, 100, 500, 300);
    PatternWindow pattern(patternArea(app), 1);
    const RECT client = clientRectOnScreen(app.frame);
    expectScreen(
        client, [&](int x, int y) { return pattern.expectedAt(x, y); }, "see-through after the failure");
    app.post(kCopy);
    expectMessage(app, kNothingToCopy, "Copy after the failed capture");
    app.run(kCapture); // a region that fits is captured as usual
    waitCaptured(app);
}

const RegisterCase kCaptureFailureCases[] = {{"panel_capture_failure", caseCaptureFailure}};

} // namespace
