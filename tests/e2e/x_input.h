// Real input through the X server (xdotool), for what a user does with the mouse and the keyboard. Windows
// input APIs inside Wine never reach the window manager, so the driver runs the native tool itself.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

void xdotool(const std::string& arguments);
void pointerTo(POINT p);

// Holds the left button from construction until release() or destruction, so that a failing case never
// leaves the button down for the cases after it.
class HeldButton {
public:
    HeldButton();
    ~HeldButton();
    HeldButton(const HeldButton&) = delete;
    HeldButton& operator=(const HeldButton&) = delete;
    void release();

private:
    bool held_ = false;
};

// A click with a pause between press and release, where the pointer is.
void click();
// Moves the pointer to a screen point and clicks there, as a hand does, in one call of xdotool.
void clickAt(POINT p);
// Keys as xdotool names them ("Right", "ctrl+shift+Down", "Tab"), one chord after another, held briefly.
void xKeys(const std::string& keys);
// Types the text into the window with the keyboard focus.
void xType(const std::string& text);

} // namespace e2e
