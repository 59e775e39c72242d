// The panel's tips as the cases check them on the screen.
#pragma once

#include "tests/e2e/app.h"

#include <string>

namespace e2e {

// The one visible tip of the process; null while none shows.
HWND visibleTip(DWORD pid);
// Rests the pointer on a control of the active panel and waits for its tip, settled at its place; `pointer`
// is where the pointer rests.
HWND showTipOf(const App& app, HWND control, POINT& pointer, const std::string& name);

// Rests the pointer on control `id` (one with an icon) of the active panel and checks its tip as drawn at
// the display scale dpi (96, 144 or 192): the icon, the margins, the label and the wrapped description.
void expectScaledTip(const App& app, int id, int dpi);

} // namespace e2e
