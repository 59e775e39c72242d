// Starting the programs under test (vantrel, its copies, the benchmarks' baselines, the driver's own helper
// modes) and ending them again.
#pragma once

#include "platform/unique_handle.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace support {

struct LaunchOptions {
    std::wstring exe;            // full path of the program
    std::wstring arguments;      // appended after the quoted path, unless rawCommandLine is set
    bool rawCommandLine = false; // the command line is exactly `arguments` (argv[0] need not be the path)
    HANDLE stdOut = nullptr;     // inheritable handle given to the child as standard output
    // Variables set in the child's environment on top of this process's own (a name given here replaces
    // this process's value of it).
    std::vector<std::pair<std::wstring, std::wstring>> environment;
    std::wstring folder; // the child's current folder; empty: this process's
};

// The command line a launch gives the child.
std::wstring commandLineOf(const LaunchOptions& options);

struct Launched {
    bool started = false;
    platform::UniqueHandle process; // may be empty even when started: Wine gives none for a Unix program
    DWORD pid = 0;
    DWORD error = 0; // GetLastError of a failed CreateProcessW
};
// Starts a program that inherits exactly one handle (its standard output) or none, and never shares this
// process's console, if it has one (vantrel's debug switch must be able to open a console of its own).
Launched launch(const LaunchOptions& options);

// Asks a program to end with WM_CLOSE to `window` and waits up to `ms` for it; a program still running then
// (or at once, with no window to ask) is terminated. True when it ended by itself.
bool closeOrTerminate(HANDLE process, HWND window, DWORD ms);

} // namespace support
