// Native Linux tools (xdotool, xclip, ImageMagick) run from the driver through Wine.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// The Unix path Wine maps a Windows path to; skips the case when not running under Wine.
std::string unixPath(const std::wstring& windowsPath);

struct UnixResult {
    int exitCode = -1;
    std::string out, err;
};
// Runs a shell command line on the Unix side (xdotool, xclip, ImageMagick) and waits for it; it is killed
// after `seconds`. Wine starts a Unix program given its drive path (Z:\bin\sh) but gives back no process
// handle and does not carry a pipe's data, so the command runs from a small shell script that leaves its
// output and exit code in files of a temporary folder.
UnixResult runUnix(const std::string& command, int seconds = 15);
// As runUnix; fails the case unless the command ends with 0.
UnixResult runUnixOk(const std::string& command);
// The text as one word of a shell command line, whatever characters it holds.
std::string shellQuoted(const std::string& text);

// Where the X server shows each window (its X window's rectangle on the root), asked in one go; fails the
// case, naming `what`, for a window Wine has made no X window for.
std::vector<RECT> xWindowRects(const std::vector<HWND>& windows, const std::string& what);

} // namespace e2e
