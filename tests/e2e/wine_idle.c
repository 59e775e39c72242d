// Keeps one Wine process alive for a whole test run (started by
// scripts/wine-env.sh). While it lives the desktop process (explorer.exe)
// stays up, so each test's own process never restarts it and never hands it
// the test's standard output.
//
// GUI subsystem: no console, and no window of its own. GetDesktopWindow makes
// Wine start the desktop process now, with this process's (discarded) output;
// then it waits in GetMessageW until the environment script ends it.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE prev, LPSTR cmd_line, int show) {
    (void)instance;
    (void)prev;
    (void)cmd_line;
    (void)show;
    GetDesktopWindow();
    MSG msg;
    while (GetMessageW(&msg, NULL, 0, 0) > 0) {
        DispatchMessageW(&msg);
    }
    return 0;
}
