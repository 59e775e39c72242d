// Processes the driver starts: vantrel and its copies, which are always ended with the case, the driver's
// own helper modes, and pipes to read what they print.
#pragma once

#include "tests/e2e/wait.h"
#include "platform/unique_handle.h"
#include "tests/support/launch.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace e2e {

// Both ends of an anonymous pipe; the write end may be made inheritable for a child's standard output.
struct Pipe {
    platform::UniqueHandle read, write;
    static Pipe create(bool inheritableWrite);
};

// Collects what arrives on a pipe without blocking, until every writer has closed its end.
class PipeReader {
public:
    explicit PipeReader(HANDLE h) : h_(h) {}
    void poll();
    bool readToEof(DWORD ms);
    const std::string& data() const { return data_; }

private:
    HANDLE h_;
    std::string data_;
    bool eof_ = false;
};

// What a start of vantrel finds of the frame remembered by an earlier one (HKCU\Software\Vantrel): by
// default the key is deleted first, so that every case starts as at a first start whatever ran before it.
enum class Remembered { Cleared, Kept };
void clearRememberedFrame();

// vantrel.exe (or the driver's own helper mode) started for one case. Destroying it ends it properly: the
// About box is closed, WM_CLOSE goes to its windows (the question about an unsaved picture is answered
// Yes), and only if it is still running after that is it terminated, which is reported as a failure of the
// case.
class Process {
public:
    explicit Process(const support::LaunchOptions& options, Remembered remembered = Remembered::Cleared);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    DWORD pid() const { return pid_; }
    HANDLE handle() const { return process_.get(); }
    bool running() const;
    bool waitExit(DWORD ms) const;
    DWORD exitCode() const;
    // Time the process ended (exit - start measured by the system), as FILETIME ticks; 0 while running.
    ULONGLONG exitTime() const;
    // Closes windows and waits; returns false if it had to terminate the process.
    bool closeProperly();

private:
    platform::UniqueHandle process_;
    DWORD pid_ = 0;
};

// Runs this driver in one of its helper modes with no console of its own and returns what it printed.
struct HelperResult {
    DWORD exitCode = 0;
    std::string output;
    bool finished = false;
};
HelperResult runHelper(const std::wstring& arguments, DWORD ms = kWaitMs);
// key=value lines of a helper's output, in order.
std::vector<std::pair<std::string, std::string>> parseLines(const std::string& output);

// Anonymous resident memory (RssAnon, KB) of the Unix process behind the one Wine process of this prefix
// whose command line names exeName; -1 when not found. Wine allocates GDI bitmaps on its Unix side, where
// the Windows memory counters do not see them.
long long unixAnonymousKb(const std::string& exeName);

} // namespace e2e
