// Another process's console, seen through a helper: the driver runs itself in a helper mode with no console
// of its own, the helper attaches to the console and prints what it finds as key=value lines, and the
// driver reads them back. Both halves of that exchange live in console.cpp.
#pragma once

#include "tests/e2e/processes.h"
#include "tests/e2e/wait.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct ConsoleView {
    bool attached = false;
    DWORD attachError = 0;
    HWND window = nullptr;           // GetConsoleWindow() seen from inside that console
    std::vector<std::wstring> lines; // non-empty rows, trailing spaces removed
};
// Attaches a helper process to pid's console and reads its text.
ConsoleView readConsole(DWORD pid);
// Polls readConsole until it shows at least minLines lines (or ms pass).
ConsoleView waitConsoleText(DWORD pid, size_t minLines, DWORD ms = kWaitMs);
// Fails the case when the process has a console; `row` starts the message.
void expectNoConsole(const Process& p, const std::string& row);
// Console windows on the desktop (class of Wine's console host window).
std::vector<HWND> consoleWindows();

// Attaches a helper to pid's console and sends Ctrl+C (`which` "c") or Ctrl+Break ("break") to every process
// on it. The helper prints sent=0|1 (send_error=N when 0) and seen_by_helper=N, how often its own handler
// saw the event.
HelperResult sendConsoleCtrl(DWORD pid, const wchar_t* which);

// The helper's side: when the command line names one of the modes above, runs it and gives its exit code.
std::optional<int> runConsoleHelperMode(int argc, wchar_t** argv);

} // namespace e2e
