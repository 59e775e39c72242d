// Finding and reading the windows of other processes.
#pragma once

#include "tests/e2e/processes.h"
#include "tests/e2e/wait.h"

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

std::wstring windowText(HWND hwnd);
std::wstring className(HWND hwnd);
DWORD windowPid(HWND hwnd);
RECT windowRect(HWND hwnd);
RECT clientRectOnScreen(HWND hwnd);
SIZE clientSize(HWND hwnd);
RECT workArea();
POINT centre(const RECT& r);
// Top-level windows of a process with the given class (all classes if null), by default the visible ones
// only.
std::vector<HWND> topLevelWindows(DWORD pid, const wchar_t* cls = L"#32770", bool visibleOnly = true);
// Every top-level window of a process, hidden ones included, for failure messages.
std::string describeWindows(DWORD pid);
// Position in the top-level z-order (0 = topmost), -1 if not found.
int zIndex(HWND hwnd);
bool sendMessageTimeout(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, DWORD ms = 5000,
                        DWORD_PTR* result = nullptr);

// The caption the About box carries.
extern const wchar_t* const kAboutCaption;
// The question vantrel asks before it ends while holding a picture that was neither saved nor copied.
extern const wchar_t* const kExitQuestion;
// That question when it is open: a visible #32770 of the process with the text in static 65535.
HWND exitQuestion(DWORD pid);

// Waits for the frame window of a freshly started vantrel: a visible top-level #32770 window that is not the
// About box. Fails the case if none appears.
HWND waitForFrame(const Process& process, DWORD ms = kWaitMs);
// A visible top-level #32770 window of the process that is not among `existing` (null after ms).
HWND waitForNewWindow(const Process& process, const std::vector<HWND>& existing, DWORD ms = kWaitMs);

} // namespace e2e
