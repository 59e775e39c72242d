// The frame's window menu as a user works it: opened with a click on the caption's icon, an item chosen by
// its underlined letter.
#pragma once

#include "tests/e2e/app.h"

namespace e2e {

// Opens the window menu with a click on the icon at the left of the frame's caption (Alt+Space is the
// window manager's own key here).
void openWindowMenu(const App& app);
// Closes the open window menu entirely, as the system does when something else needs the frame. (Esc would
// leave the frame in the menu's keyboard mode, which holds the program's own loop until the next key.)
void closeWindowMenu(const App& app);
// Opens the window menu and presses an item's underlined letter. A greyed item leaves the menu open: it is
// then closed with Esc.
void chooseInWindowMenu(const App& app, const char* letter);

} // namespace e2e
