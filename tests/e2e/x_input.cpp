#include "tests/e2e/x_input.h"

#include "tests/e2e/report.h"
#include "tests/e2e/unix_tools.h"

namespace e2e {

void xdotool(const std::string& arguments) {
    runUnixOk("/usr/bin/xdotool " + arguments);
}

void pointerTo(POINT p) {
    xdotool("mousemove " + std::to_string(p.x) + " " + std::to_string(p.y));
}

HeldButton::HeldButton() {
    xdotool("mousedown 1");
    held_ = true;
}

HeldButton::~HeldButton() {
    if (!held_)
        return;
    try {
        runUnix("/usr/bin/xdotool mouseup 1");
    } catch (const std::exception& e) {
        noteCleanupFailure(std::string("could not release the mouse button: ") + e.what());
    }
}

void HeldButton::release() {
    held_ = false;
    xdotool("mouseup 1");
}

void click() {
    HeldButton button;
    Sleep(150);
    button.release();
}

void clickAt(POINT p) {
    xdotool("mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) +
            " sleep 0.1 mousedown 1 sleep 0.15 mouseup 1");
}

void xKeys(const std::string& keys) {
    xdotool("key --delay 60 " + keys);
}

void xType(const std::string& text) {
    xdotool("type --delay 40 -- '" + text + "'");
}

} // namespace e2e
