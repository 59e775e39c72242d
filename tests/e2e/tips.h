// The panel's tips as the cases check them on the screen.
#pragma once

#include "tests/e2e/app.h"

namespace e2e {

// Rests the pointer on control `id` (one with an icon) of the active panel and checks its tip as drawn at
// the display scale dpi (96, 144 or 192): the icon, the margins, the label and the wrapped description.
void expectScaledTip(const App& app, int id, int dpi);

} // namespace e2e
