// End-to-end cases of the frame's two looks seen on the screen: Clear goes from the picture straight to
// the see-through look with nothing between, and a size change while a picture is held keeps the picture
// at the top-left with white around it, after which Clear and Capture take the new size.
#include "tests/e2e/app.h"
#include "tests/e2e/case_registry.h"
#include "tests/e2e/report.h"
#include "tests/e2e/screen.h"
#include "tests/e2e/wait.h"
#include "tests/e2e/window_lookup.h"

#include "res/resource.h"

using namespace e2e;
using namespace support;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

// Clear, posted while a picture of the pattern beneath is held, turns the frame see-through over the same
// pattern: every look of the client area the screen shows meanwhile is that pattern.
void caseClearWithoutFlash() {
    App app;
    app.moveFrame(300, 250, 420, 300);
    PatternWindow pattern(patternArea(app), 0);
    constexpr int kRounds = 5;
    long samples = 0;
    for (int round = 1; round <= kRounds; ++round) {
        const std::string when = "round " + std::to_string(round);
        app.run(IDC_CAPTURE);
        waitCaptured(app);
        expectScreen(
            clientRectOnScreen(app.frame), [&](int x, int y) { return pattern.expectedAt(x, y); },
            when + ": the picture before Clear");
        samples += clearWatchingScreen(app, pattern, when);
    }
    sayKey("samples", samples);
}

// Where the picture lies in a client area at the screen point `origin`: its own pixels at the top-left,
// white beyond its size.
struct HeldPicture {
    const PatternWindow& pattern;
    RECT taken; // the client area it was taken from, on the screen
    uint32_t at(POINT origin, int x, int y) const {
        const int dx = x - origin.x, dy = y - origin.y;
        if (dx >= taken.right - taken.left || dy >= taken.bottom - taken.top)
            return kWhite;
        return pattern.colourAt(taken.left + dx, taken.top + dy, 1);
    }
};

// The size of the bitmap on the clipboard; zero when there is none.
SIZE clipboardBitmapSize() {
    SIZE size{};
    if (!OpenClipboard(nullptr))
        return size;
    BITMAP info{};
    if (HANDLE bmp = GetClipboardData(CF_BITMAP); bmp && GetObjectW(bmp, sizeof info, &info))
        size = SIZE{info.bmWidth, info.bmHeight};
    CloseClipboard();
    return size;
}

// Sizes sent to the frame while it holds a picture (as the window menu's Size or a snap to a screen edge
// would): the picture stays at the client area's top-left, white fills the rest, and the caption follows.
// Then Clear shows the screen through the new size and the next Capture takes the new size.
void caseResizeWhileHeld() {
    App app;
    app.moveFrame(300, 250, 420, 300);
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    PatternWindow pattern(screen, 1);
    app.run(IDC_CAPTURE);
    waitCaptured(app);
    const HeldPicture picture{pattern, clientRectOnScreen(app.frame)};
    pattern.setVariant(2);

    struct Change {
        const char* name;
        int x, y, width, height;
    };
    const Change changes[] = {
        {"grown", 300, 250, 600, 420},
        {"snapped to another place and size", 120, 90, 520, 640},
        {"shrunk below the picture", 200, 160, 300, 200},
        {"grown again", 250, 200, 700, 500},
    };
    for (const Change& c : changes) {
        app.moveFrame(c.x, c.y, c.width, c.height);
        const RECT client = clientRectOnScreen(app.frame);
        sayKey(c.name, rectText(client));
        expectEq(std::string(c.name) + ": caption", expectedCaption(app.frame), windowText(app.frame));
        const POINT origin{client.left, client.top};
        expectScreen(
            client, [&](int x, int y) { return picture.at(origin, x, y); },
            std::string(c.name) + ": the picture at the top-left, white around it");
    }

    app.run(IDC_CLEAR);
    const RECT client = clientRectOnScreen(app.frame);
    expectScreen(
        client, [&](int x, int y) { return pattern.expectedAt(x, y); }, "see-through after Clear");
    app.run(IDC_CAPTURE);
    waitCaptured(app);
    pattern.setVariant(0);
    expectScreen(
        client, [&](int x, int y) { return pattern.colourAt(x, y, 2); },
        "the new picture fills the client area");
    app.run(IDC_COPY);
    const SIZE copied = clipboardBitmapSize();
    expectEq("new picture's width", client.right - client.left, copied.cx);
    expectEq("new picture's height", client.bottom - client.top, copied.cy);
}

const RegisterCase kLookCases[] = {
    {"look_clear_without_flash", caseClearWithoutFlash},
    {"look_resize_while_held", caseResizeWhileHeld},
};

} // namespace
