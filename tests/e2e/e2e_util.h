// Small toolkit for driving vantrel.exe from another process: owned handles, processes that are always ended,
// window lookup, console reading through a helper process, screen capture and a pattern window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace e2e {

// ---------------------------------------------------------------- text and reporting

std::string narrow(const std::wstring& text);
std::wstring widen(const std::string& text);
// Quotes for diagnostics, with control characters escaped so that a stray \r or trailing space is visible.
std::string quoted(const std::wstring& text);
std::string quotedBytes(const std::string& bytes);

// Takes hold of the standard output handle; call before the console is freed or changed.
void initOutput();
// Writes one line to the driver's standard output at once (no buffering, so nothing is lost on a crash).
void say(const std::string& line);
template <class T> void sayKey(const char* key, const T& value) {
    say(std::string(key) + "=" + std::to_string(value));
}
void sayKey(const char* key, const std::string& value);
void sayKey(const char* key, const std::wstring& value);

struct CaseFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// Thrown when this environment cannot produce the situation a case needs (not a fault of vantrel).
struct CaseSkipped : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// Exit code of a skipped case (ctest: SKIP_RETURN_CODE).
constexpr int kSkipExitCode = 77;

// The case being run: its name names the failure screenshot.
void setCurrentCase(const std::string& name);
// Saves CASE.bmp in VANTREL_SHOT_DIR (once per case) when that variable is set.
void screenshotOnFailure();
[[noreturn]] void fail(const std::string& reason);
[[noreturn]] void skip(const std::string& reason);
void check(bool ok, const std::string& reason);
void expectEq(const std::string& what, const std::wstring& expected, const std::wstring& actual);
void expectEq(const std::string& what, long long expected, long long actual);
void expectNear(const std::string& what, long long expected, long long actual, long long tolerance);
// Problems found while cleaning up (a destructor cannot throw): they fail the case afterwards.
void noteCleanupFailure(const std::string& reason);
std::vector<std::string> takeCleanupFailures();

std::string hex(const void* pointer);
std::string rectText(const RECT& r);

// Cases register themselves from whichever file defines them; `vantrel_e2e.exe CASE` runs one by name.
struct Case {
    const char* name;
    void (*run)();
};
const std::vector<Case>& registeredCases();
struct RegisterCase {
    RegisterCase(const char* name, void (*run)());
};

// ---------------------------------------------------------------- handles and time

class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    Handle(Handle&& other) noexcept : h_(other.release()) {}
    Handle& operator=(Handle&& other) noexcept;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { reset(); }
    HANDLE get() const { return h_; }
    HANDLE release();
    void reset(HANDLE h = nullptr);
    explicit operator bool() const { return h_ != nullptr; }

private:
    HANDLE h_ = nullptr;
};

class Stopwatch {
public:
    Stopwatch();
    double seconds() const;
    DWORD ms() const { return static_cast<DWORD>(seconds() * 1000.0); }

private:
    LARGE_INTEGER start_{};
};

// Longest single wait of any case.
constexpr DWORD kWaitMs = 15000;

// Polls cond every step ms until it holds or ms have passed; returns its last value.
template <class Cond> bool waitFor(Cond cond, DWORD ms = kWaitMs, DWORD step = 20) {
    Stopwatch watch;
    for (;;) {
        if (cond())
            return true;
        if (watch.ms() >= ms)
            return cond();
        Sleep(step);
    }
}

// ---------------------------------------------------------------- files

std::wstring driverDir();
std::wstring vantrelPath();
std::wstring joinPath(const std::wstring& dir, const std::wstring& name);
bool fileExists(const std::wstring& path);
// A Unix path (/tmp/x) given on the command line becomes the Wine drive path that reaches it.
std::wstring toWindowsPath(const std::wstring& path);

// A fresh folder under %TEMP%, removed (with its files) at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

// Renames a file now and puts the name back when destroyed (or when restore() is called).
class RenamedFile {
public:
    RenamedFile(std::wstring from, std::wstring to);
    ~RenamedFile();
    RenamedFile(const RenamedFile&) = delete;
    RenamedFile& operator=(const RenamedFile&) = delete;
    void restore();

private:
    std::wstring from_, to_;
    bool moved_ = false;
};

// ---------------------------------------------------------------- processes

// Both ends of an anonymous pipe; the write end may be made inheritable for a child's standard output.
struct Pipe {
    Handle read, write;
    static Pipe create(bool inheritableWrite);
};

// Collects what arrives on a pipe without blocking; eof() once every writer has closed its end.
class PipeReader {
public:
    explicit PipeReader(HANDLE h) : h_(h) {}
    void poll();
    bool readToEof(DWORD ms);
    const std::string& data() const { return data_; }
    bool eof() const { return eof_; }

private:
    HANDLE h_;
    std::string data_;
    bool eof_ = false;
};

struct LaunchOptions {
    std::wstring exe;            // full path of the program
    std::wstring arguments;      // appended after the quoted path, unless rawCommandLine is set
    bool rawCommandLine = false; // the command line is exactly `arguments` (argv[0] need not be the path)
    HANDLE stdOut = nullptr;     // inheritable handle given to the child as standard output
    // Variables set in the child's environment on top of the driver's own (a name given here replaces the
    // driver's value of it).
    std::vector<std::pair<std::wstring, std::wstring>> environment;
};

// vantrel.exe (or the driver's own helper mode) started for one case. Destroying it ends it properly: the
// About box is closed, WM_CLOSE goes to its windows, and only if it is still running after that is it
// terminated, which is reported as a failure of the case.
class Process {
public:
    explicit Process(const LaunchOptions& options);
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
    Handle process_;
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

// ---------------------------------------------------------------- windows

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

// Waits for the frame window of a freshly started vantrel: a visible top-level #32770 window that is not the
// About box. Fails the case if none appears.
HWND waitForFrame(const Process& process, DWORD ms = kWaitMs);
// A visible top-level #32770 window of the process that is not among `existing` (null after ms).
HWND waitForNewWindow(const Process& process, const std::vector<HWND>& existing, DWORD ms = kWaitMs);

// ---------------------------------------------------------------- console of another process

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
// Console windows on the desktop (class of Wine's console host window).
std::vector<HWND> consoleWindows();

// ---------------------------------------------------------------- screen

struct Pixels {
    int width = 0, height = 0;
    std::vector<uint32_t> rgb; // 0x00RRGGBB, top row first
    uint32_t at(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};
// Header of a 32-bit top-down DIB (top row first), as the driver reads and paints pixels.
BITMAPINFO topDownInfo(int width, int height);
Pixels captureScreen(const RECT& area);
bool saveScreenBmp(const std::wstring& path);
std::string colourText(uint32_t rgb);

// A non-topmost borderless window of this driver (own thread) painted with patternColour(x, y, variant) in
// its own coordinates; it never becomes active. Variant 0 never holds the frame's key colour; variant 1
// sprinkles key-coloured pixels (RGB(1,0,0)) among its others; variant 2 differs from both everywhere.
uint32_t patternColour(int x, int y, int variant = 0);
class PatternWindow {
public:
    explicit PatternWindow(const RECT& screenRect, int variant = 0);
    ~PatternWindow();
    PatternWindow(const PatternWindow&) = delete;
    PatternWindow& operator=(const PatternWindow&) = delete;
    HWND hwnd() const { return hwnd_; }
    const RECT& rect() const { return rect_; }
    // Colour expected on screen at a screen point covered by this window.
    uint32_t expectedAt(int screenX, int screenY) const { return colourAt(screenX, screenY, variant_); }
    // Colour the given variant has at a screen point (what the screen showed before a variant change).
    uint32_t colourAt(int screenX, int screenY, int variant) const {
        return patternColour(screenX - rect_.left, screenY - rect_.top, variant);
    }
    // Repaints the window with another variant and waits until the paint is done.
    void setVariant(int variant);
    int variant() const { return variant_; }

private:
    RECT rect_;
    int variant_ = 0;
    HWND hwnd_ = nullptr;
    DWORD threadId_ = 0;
    std::thread thread_;
};

// ---------------------------------------------------------------- input

// Presses the keys in order, holds them briefly as a hand does, and releases them in reverse order.
void pressChord(const std::vector<WORD>& keys);
// Brings a window to the foreground and waits until it is.
bool bringToFront(HWND hwnd, DWORD ms = 5000);

// ---------------------------------------------------------------- native Linux tools

// The Unix path Wine maps a Windows path to; skips the case when not running under Wine.
std::string unixPath(const std::wstring& windowsPath);
void writeFile(const std::wstring& path, const std::string& bytes);
// The whole file; empty when it cannot be read.
std::string readFile(const std::wstring& path);

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

// Puts a text on the clipboard (so a command that must not touch the clipboard can be caught) and reads it.
void putClipboardText(const wchar_t* text);
std::wstring clipboardText();

// ---------------------------------------------------------------- vantrel's windows

// vantrel (or a copy of it under another name) with its frame and panel found. Destroying it ends the
// program properly.
struct App {
    Process process;
    HWND frame = nullptr;
    HWND panel = nullptr;

    explicit App(const std::wstring& exe = vantrelPath());
    explicit App(const LaunchOptions& options);
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    HWND button(int id) const;
    // Runs a command to its end (the panel's handler returns before SendMessage does).
    void run(int id) const;
    // Starts a command that is expected to open a modal window, without waiting for it.
    void post(int id) const;
    bool layered() const;
    void moveFrame(int x, int y, int width, int height) const;
    // The caption of the program's message boxes: its file name without extension.
    const std::wstring& messageCaption() const { return caption_; }

private:
    std::wstring caption_;
};

// The message box vantrel shows: a new #32770 window captioned messageCaption() with the text in static
// 65535. Checks the text, presses OK and waits until the box is gone.
void expectMessage(const App& app, const wchar_t* text, const std::string& when);
// No window of vantrel besides the frame and the panel is open.
void expectNoMessage(const App& app, const std::string& when);
// A pattern window's place: under the frame and the panel, and far beyond them.
RECT patternArea(const App& app);
// Waits until a capture has finished and both windows are back in the picture look.
void waitCaptured(const App& app);

// Compares the screen over rect (clipped to the screen) with expected(x, y); polls while the screen settles.
template <class Expected> void expectScreen(const RECT& rect, Expected expected, const std::string& what) {
    RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, area;
    check(IntersectRect(&area, &rect, &screen), what + ": the area is off the screen");
    long bad = 0;
    std::string first;
    bool same = waitFor(
        [&] {
            Pixels px = captureScreen(area);
            bad = 0;
            for (int y = 0; y < px.height; ++y)
                for (int x = 0; x < px.width; ++x) {
                    uint32_t want = expected(area.left + x, area.top + y), got = px.at(x, y);
                    if (got != want && bad++ == 0)
                        first = "(" + std::to_string(area.left + x) + "," + std::to_string(area.top + y) +
                                ") expected " + colourText(want) + " got " + colourText(got);
                }
            return bad == 0;
        },
        5000, 100);
    if (!same)
        fail(what + ": " + std::to_string(bad) + " pixels differ, first at " + first);
}

} // namespace e2e
