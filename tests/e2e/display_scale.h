// Display scales for the cases: the scale Wine gives the programs started after it is set, what the system
// answers for a scale, and a scale change sent to a window as the system would send it.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// The scale of the programs started while this lives (Wine's LogPixels, in the user's desktop settings and
// the machine's current hardware profile); back to 96 dpi when it goes, also when the case fails, since the
// cases share the prefix.
class DisplayScale {
public:
    explicit DisplayScale(int dpi);
    ~DisplayScale();
    DisplayScale(const DisplayScale&) = delete;
    DisplayScale& operator=(const DisplayScale&) = delete;
};

// Sets 96 dpi where a case that was killed left another scale.
void resetDisplayScale();

// Makes the driver aware of each monitor's scale, so that it sees every window of every scale in pixels.
void becomeDpiAware();

// What the system answers at a scale; the case is skipped where it has no such call.
bool perMonitorAware(HWND wnd);
NONCLIENTMETRICSW nonClientMetricsAt(int dpi);
// How far a window of these styles reaches beyond its client area on each side at dpi.
RECT nonClientMargins(HWND wnd, int dpi);

// Sends WM_DPICHANGED to wnd of process with the suggested rectangle placed in that process's memory,
// and waits until it is handled.
void sendDpiChanged(HANDLE process, HWND wnd, int dpi, const RECT& suggested);
// Sends WM_GETDPISCALEDSIZE (the system's question before a change of scale, with the window size it
// proposes) to wnd of process likewise, and gives the size wnd answers; fails the case where it answers
// FALSE.
SIZE sendGetDpiScaledSize(HANDLE process, HWND wnd, int dpi, SIZE proposed);

// The screen shows the whole of text, drawn in font over the background colour, inside `area` (screen
// coordinates): every pixel of its ink is found there, none cut off at the area's edges. Waits a little for
// the area to be drawn; fails the case, naming what, when the text is not whole.
void expectTextWhole(const std::string& what, const RECT& area, const std::wstring& text,
                     const LOGFONTW& font, COLORREF background);

} // namespace e2e
