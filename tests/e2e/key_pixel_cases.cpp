// End-to-end case of a large picture that holds many pixels of exactly the frame's key colour: Capture
// shows them as they were (opaque, RGB(1,0,0)), Clear goes straight to see-through, and the program
// lives through cycle after cycle.
#include "tests/e2e/app.h"
#include "tests/e2e/case_registry.h"
#include "tests/e2e/report.h"
#include "tests/e2e/screen.h"
#include "tests/e2e/window_lookup.h"

#include "res/resource.h"

using namespace e2e;

namespace {

constexpr int kKeyPixels = 1; // the pattern variant that sprinkles the key colour (one pixel in nine)
constexpr int kNoKey = 0;     // a variant that never holds it

// A frame of 1600x1000 pixels (a client area of some 1590x970) over the key-sprinkled pattern holds some
// 170,000 key-coloured pixels, far more than the 32,000 runs at which a shape cut from the picture no longer
// fits one X request. Each round: the picture shows the pattern as captured even where the pattern beneath
// has changed (the key-coloured pixels included, so they are neither see-through nor cut out), Clear turns
// it see-through with nothing between, and the changed pattern then shows through everywhere.
void caseKeyPixelsCaptureAndClear() {
    App app;
    app.moveFrame(200, 150, 1600, 1000);
    PatternWindow pattern(patternArea(app), kKeyPixels);
    const RECT client = clientRectOnScreen(app.frame);
    sayKey("client", rectText(client));
    const auto alive = [&](const std::string& when) {
        check(app.process.running(),
              when + ": vantrel ended (exit code " + std::to_string(app.process.exitCode()) + ")");
    };
    const auto picture = [&](int x, int y) { return pattern.colourAt(x, y, kKeyPixels); };
    const auto beneath = [&](int x, int y) { return pattern.expectedAt(x, y); };
    constexpr int kRounds = 3;
    long samples = 0;
    for (int round = 1; round <= kRounds; ++round) {
        const std::string when = "round " + std::to_string(round);
        app.run(IDC_CAPTURE);
        alive(when + ": Capture");
        waitCaptured(app);
        pattern.setVariant(kNoKey);
        expectScreen(client, picture, when + ": the picture, key-coloured pixels included");
        alive(when + ": the picture shown");

        pattern.setVariant(kKeyPixels);
        samples += clearWatchingScreen(app, pattern, when);
        alive(when + ": Clear");
        pattern.setVariant(kNoKey);
        expectScreen(client, beneath, when + ": see-through after Clear");
        pattern.setVariant(kKeyPixels);
    }
    sayKey("samples", samples);
}

const RegisterCase kKeyPixelCases[] = {
    {"key_pixels_capture_and_clear", caseKeyPixelsCaptureAndClear},
};

} // namespace
