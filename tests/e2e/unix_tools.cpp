#include "tests/e2e/unix_tools.h"

#include "tests/e2e/files.h"
#include "tests/e2e/processes.h"
#include "tests/e2e/report.h"
#include "tests/e2e/wait.h"
#include "tests/support/launch.h"
#include "tests/support/paths.h"
#include "tests/support/text.h"

#include <windows.h>

#include <cstdlib>

namespace e2e {

using support::fileExists;
using support::joinPath;
using support::narrow;
using support::widen;

std::string unixPath(const std::wstring& windowsPath) {
    using ToUnix = char* (*)(LPCWSTR);
    auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix)
        skip("not running under Wine (no wine_get_unix_file_name): there are no native tools to run");
    char* unix = toUnix(windowsPath.c_str());
    check(unix != nullptr, "no Unix path for " + narrow(windowsPath));
    std::string out = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return out;
}

UnixResult runUnix(const std::string& command, int seconds) {
    TempDir dir;
    const std::string where = unixPath(dir.path());
    writeFile(joinPath(dir.path(), L"cmd.sh"), command + "\n");
    // The job lets go of the driver's own output (ctest's pipe) first, so that nothing it leaves running
    // can hold that open.
    writeFile(joinPath(dir.path(), L"job.sh"), "exec </dev/null >/dev/null 2>&1\n"
                                               "cd '" +
                                                   where +
                                                   "' || exit 1\n"
                                                   "timeout -k 1 " +
                                                   std::to_string(seconds) +
                                                   " /bin/sh ./cmd.sh >out 2>err\n"
                                                   "echo $? >rc.tmp\n"
                                                   "mv rc.tmp rc\n");
    static const std::wstring shell = toWindowsPath(L"/bin/sh");
    support::LaunchOptions options;
    options.exe = shell;
    options.arguments = L"sh \"" + widen(where) + L"/job.sh\"";
    options.rawCommandLine = true;
    // A Unix program comes back without a process handle: the files below tell when it is done.
    const support::Launched shellRun = support::launch(options);
    if (!shellRun.started)
        fail("CreateProcessW(" + narrow(shell) + ") failed, error " + std::to_string(shellRun.error) +
             ": Wine did not start the Unix shell");
    const std::wstring rc = joinPath(dir.path(), L"rc");
    check(waitFor([&] { return fileExists(rc); }, static_cast<DWORD>(seconds + 5) * 1000, 5),
          "the Unix command did not finish: " + command);
    UnixResult r;
    r.exitCode = std::atoi(readFile(rc).c_str());
    r.out = readFile(joinPath(dir.path(), L"out"));
    r.err = readFile(joinPath(dir.path(), L"err"));
    return r;
}

UnixResult runUnixOk(const std::string& command) {
    UnixResult r = runUnix(command);
    if (r.exitCode != 0)
        fail("`" + command + "` ended with " + std::to_string(r.exitCode) + "; stderr " + quotedBytes(r.err));
    return r;
}

std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::vector<RECT> xWindowRects(const std::vector<HWND>& windows, const std::string& what) {
    std::string command;
    for (HWND hwnd : windows) {
        uintptr_t xid = 0;
        waitFor(
            [&] {
                xid = reinterpret_cast<uintptr_t>(GetPropW(hwnd, L"__wine_x11_whole_window"));
                return xid != 0 || !IsWindow(hwnd);
            },
            2000, 20);
        check(xid != 0, what + ": no X window is known for " + hex(hwnd) +
                            (IsWindow(hwnd) ? std::string(IsWindowVisible(hwnd) ? " (visible)" : " (hidden)")
                                            : std::string(" (no longer a window)")));
        command += "/usr/bin/xdotool getwindowgeometry --shell " + std::to_string(xid) + " && ";
    }
    const UnixResult r = runUnixOk(command + "true");
    // One block of X=, Y=, WIDTH=, HEIGHT= lines for each window, in order.
    std::vector<RECT> rects;
    long x = 0, y = 0, width = 0;
    for (auto& [key, value] : parseLines(r.out)) {
        const long v = std::atol(value.c_str());
        if (key == "X")
            x = v;
        else if (key == "Y")
            y = v;
        else if (key == "WIDTH")
            width = v;
        else if (key == "HEIGHT")
            rects.push_back(RECT{x, y, x + width, y + v});
    }
    check(rects.size() == windows.size(), what + ": no geometry for every window in " + quotedBytes(r.out));
    return rects;
}

} // namespace e2e
