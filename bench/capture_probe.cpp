// Times vantrel's Capture command against the bare screen copy it is built on, side by side in one run:
//
//   bench_capture_probe.exe RUNS VANTREL_EXE BASELINE_EXE
//
// (Windows paths, or paths relative to this probe's folder.) vantrel.exe is started and its frame sized
// so that the client area, the region Capture copies, is exactly 1920x1080 and lies wholly on the
// screen. BASELINE_EXE (bench_capture_baseline.exe) is then started with that rectangle: on WM_COMMAND
// IDC_CAPTURE it copies the same rectangle of the screen into a compatible bitmap and keeps it, and nothing
// more. Both are driven the same way: WM_COMMAND IDC_CAPTURE sent with SendMessageTimeoutW and timed with
// QueryPerformanceCounter from the send until it returns, then WM_COMMAND IDC_CLEAR (not timed).
// vantrel's Capture waits 200 ms with its windows hidden before it copies, by design; that wait is
// taken off its times, so what is compared is the work Capture does beyond its wait (hiding the frame
// and the panel, copying, switching the frame to the picture look, showing both again and painting
// the picture) with the copy alone. The same copy done inside this probe, with no message and no
// other process, is printed as well, to show what the message round trip adds.
//
// After one warm-up of each, RUNS rounds: vantrel, baseline, in-probe copy, each followed by a timed
// 200 ms pause (so the wait taken off vantrel's times is checked against a real Sleep(200)) after which
// the memory of the program is read: while the picture is held, and again after Clear.
//
// Prints medians, minimum and maximum, the ratio of the medians (vantrel/baseline) against the target
// and the memory figures. Exits with 1 when something could not be measured or a program did not
// close by itself, 2 on bad arguments.
#include "capture_blit.h"
#include "res/resource.h"
#include "tests/support/launch.h"
#include "tests/support/median.h"
#include "tests/support/paths.h"
#include "tests/support/stopwatch.h"
#include "tests/support/text.h"

#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace support;

constexpr int kClientWidth = 1920;
constexpr int kClientHeight = 1080;
constexpr int kFrameLeft = 40; // where the frame's window rectangle goes; the panel docks on its right
constexpr int kFrameTop = 40;
constexpr double kDesignedWaitMs = 200; // vantrel's Capture waits this long with its windows hidden
constexpr DWORD kPauseMs = 200;         // after every capture and Clear: the screen settles
constexpr DWORD kStartDeadlineMs = 30000;
constexpr UINT kCommandTimeoutMs = 10000; // one Capture or Clear may take this long
constexpr DWORD kExitDeadlineMs = 10000;
constexpr double kTargetRatio = 1.5;
constexpr wchar_t kBaselineClass[] = L"VantrelBenchCaptureBaseline";

std::wstring ClassOf(HWND wnd) {
    wchar_t cls[128] = L"";
    ::GetClassNameW(wnd, cls, static_cast<int>(std::size(cls)));
    return cls;
}

std::wstring TextOf(HWND wnd) {
    wchar_t text[256] = L"";
    ::GetWindowTextW(wnd, text, static_cast<int>(std::size(text)));
    return text;
}

struct Windows {
    DWORD pid = 0;
    HWND frame = nullptr;    // vantrel: caption "Vantrel W:...", unowned
    HWND panel = nullptr;    // vantrel: #32770 "Operation" owned by the frame
    HWND baseline = nullptr; // baseline: its hidden window
};

BOOL CALLBACK CollectWindow(HWND wnd, LPARAM lp) {
    auto* found = reinterpret_cast<Windows*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    if (pid != found->pid)
        return TRUE;
    const std::wstring cls = ClassOf(wnd);
    const std::wstring text = TextOf(wnd);
    HWND owner = ::GetWindow(wnd, GW_OWNER);
    if (cls == kBaselineClass)
        found->baseline = wnd;
    else if (!owner && text.rfind(L"Vantrel W:", 0) == 0)
        found->frame = wnd;
    else if (cls == L"#32770" && text == L"Operation")
        found->panel = wnd;
    return TRUE;
}

Windows FindWindows(DWORD pid) {
    Windows found;
    found.pid = pid;
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
    if (found.panel && ::GetWindow(found.panel, GW_OWNER) != found.frame)
        found.panel = nullptr;
    return found;
}

struct Memory {
    double workingSetKb = 0;
    double privateKb = 0;
};

// Wine 8 leaves PrivateUsage at 0; there the committed private memory is added up region by region,
// which is what Windows counts as a process's private bytes.
bool g_privateSummed = false;

double CommittedPrivateKb(HANDLE process) {
    double bytes = 0;
    MEMORY_BASIC_INFORMATION mbi{};
    SYSTEM_INFO si{};
    ::GetSystemInfo(&si);
    auto* at = static_cast<char*>(si.lpMinimumApplicationAddress);
    while (at < si.lpMaximumApplicationAddress &&
           ::VirtualQueryEx(process, at, &mbi, sizeof(mbi)) == sizeof(mbi)) {
        if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE)
            bytes += static_cast<double>(mbi.RegionSize);
        at = static_cast<char*>(mbi.BaseAddress) + mbi.RegionSize;
    }
    return bytes / 1024.0;
}

Memory ReadMemory(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    Memory m;
    if (::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                               sizeof(counters))) {
        m.workingSetKb = static_cast<double>(counters.WorkingSetSize) / 1024.0;
        m.privateKb = static_cast<double>(counters.PrivateUsage) / 1024.0;
    }
    if (m.privateKb == 0) {
        g_privateSummed = true;
        m.privateKb = CommittedPrivateKb(process);
    }
    return m;
}

// A program started by the probe; closed (and if need be ended) when the object goes.
class Process {
public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process() { Close(nullptr); }

    bool Start(const std::wstring& path, const std::wstring& arguments, std::string& error) {
        LaunchOptions options;
        options.exe = path;
        options.arguments = arguments;
        options.folder = folderOf(path);
        Launched child = launch(options);
        if (!child.started) {
            error = "CreateProcessW failed, error " + std::to_string(child.error);
            return false;
        }
        m_process = std::move(child.process);
        m_pid = child.pid;
        ::WaitForInputIdle(m_process.get(), kStartDeadlineMs);
        return true;
    }

    // Waits until pred(FindWindows(pid)) holds; false when the process ends or the deadline passes.
    template <typename Pred> bool WaitForWindows(Pred pred, Windows& found, std::string& error) {
        const Stopwatch started;
        for (;;) {
            found = FindWindows(m_pid);
            if (pred(found))
                return true;
            if (::WaitForSingleObject(m_process.get(), 0) == WAIT_OBJECT_0) {
                error = "the process ended before its windows were up";
                return false;
            }
            if (started.ms() > kStartDeadlineMs) {
                error = "its windows were not up within " + std::to_string(kStartDeadlineMs / 1000) + " s";
                return false;
            }
            ::Sleep(10);
        }
    }

    // Posts WM_CLOSE to wnd and waits for the process to end; ends it by force when it does not.
    // Returns true when it ended by itself with exit code 0.
    bool Close(HWND wnd) {
        if (!m_process)
            return true;
        const bool clean = closeOrTerminate(m_process.get(), wnd, kExitDeadlineMs);
        DWORD code = 1;
        ::GetExitCodeProcess(m_process.get(), &code);
        m_process.reset();
        return clean && code == 0;
    }

    HANDLE handle() const { return m_process.get(); }
    DWORD pid() const { return m_pid; }

private:
    platform::UniqueHandle m_process;
    DWORD m_pid = 0;
};

// Sends a button command and times the round trip; false (with the reason) when it did not return.
bool TimedCommand(HWND target, WORD id, HWND control, double& ms, DWORD_PTR& answer, std::string& error) {
    answer = 0;
    const Stopwatch round;
    LRESULT sent =
        ::SendMessageTimeoutW(target, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                              reinterpret_cast<LPARAM>(control), SMTO_NORMAL, kCommandTimeoutMs, &answer);
    ms = round.ms();
    if (!sent) {
        error = "command " + std::to_string(id) + " did not return within " +
                std::to_string(kCommandTimeoutMs / 1000) + " s (error " + std::to_string(::GetLastError()) +
                ")";
        return false;
    }
    return true;
}

struct Series {
    std::vector<double> ms;
    std::vector<Memory> held;
    std::vector<Memory> cleared;
};

std::vector<double> Field(const std::vector<Memory>& samples, double Memory::*field) {
    std::vector<double> out;
    for (const Memory& m : samples)
        out.push_back(m.*field);
    return out;
}

void PrintTimes(const char* name, const std::vector<double>& ms) {
    if (ms.empty()) {
        std::printf("%-30s no successful run\n", name);
        return;
    }
    const auto [lo, hi] = std::minmax_element(ms.begin(), ms.end());
    std::printf("%-30s %9.1f %8.1f %8.1f\n", name, median(ms), *lo, *hi);
}

// Medians, and the working set of the first and the last round: a picture that is never let go
// shows as growth from one to the other.
void PrintMemory(const char* name, const std::vector<Memory>& samples) {
    if (samples.empty())
        return;
    std::printf("%-34s %11.0f %11.0f %10.0f %8.0f\n", name, median(Field(samples, &Memory::workingSetKb)),
                median(Field(samples, &Memory::privateKb)), samples.front().workingSetKb,
                samples.back().workingSetKb);
}

void PrintSample(const char* name, const Memory& m) {
    std::printf("%-34s %11.0f %11.0f\n", name, m.workingSetKb, m.privateKb);
}

// The probe's pause between steps, timed: it is also the measure of a real Sleep(200).
void Pause(std::vector<double>& sleeps) {
    const Stopwatch pause;
    ::Sleep(kPauseMs);
    sleeps.push_back(pause.ms());
}

class Bench {
public:
    Bench(const std::wstring& vantrelPath, const std::wstring& baselinePath)
        : m_vantrelPath(vantrelPath), m_baselinePath(baselinePath) {}

    // Starts both programs and sizes vantrel's frame; false (with a message printed) on failure.
    bool SetUp();
    // One capture and Clear of each; record = false for the warm-up. False when a step failed.
    bool Round(bool record);
    int Finish(int runs);

private:
    bool SizeFrame();
    bool VantrelCapture(bool record);
    bool BaselineCapture(bool record);
    void ProbeCopy(bool record);
    bool Fail(const std::string& what) {
        std::printf("  %s\n", what.c_str());
        std::fflush(stdout);
        ++m_failures;
        return false;
    }

    std::wstring m_vantrelPath;
    std::wstring m_baselinePath;
    Process m_vantrel;
    Process m_baseline;
    Windows m_vw;
    HWND m_baselineWnd = nullptr;
    HWND m_captureButton = nullptr;
    POINT m_origin{};
    Memory m_vantrelAtStart;
    Memory m_baselineAtStart;
    Series m_v, m_b;
    std::vector<double> m_vantrelRaw; // round trips with the wait still in
    std::vector<double> m_probeMs;
    std::vector<double> m_baselineInside; // the copy's own time, as the baseline measured it
    std::vector<double> m_clearMs;
    std::vector<double> m_sleeps;
    int m_failures = 0;
};

bool Bench::SizeFrame() {
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT window{}, client{};
        ::GetWindowRect(m_vw.frame, &window);
        ::GetClientRect(m_vw.frame, &client);
        const int clientW = client.right - client.left;
        const int clientH = client.bottom - client.top;
        if (clientW == kClientWidth && clientH == kClientHeight && window.left == kFrameLeft &&
            window.top == kFrameTop)
            return true;
        const int width = (window.right - window.left) + (kClientWidth - clientW);
        const int height = (window.bottom - window.top) + (kClientHeight - clientH);
        ::SetWindowPos(m_vw.frame, nullptr, kFrameLeft, kFrameTop, width, height,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT client{};
    ::GetClientRect(m_vw.frame, &client);
    return Fail("the frame's client area stays " + std::to_string(client.right) + "x" +
                std::to_string(client.bottom) + ", not " + std::to_string(kClientWidth) + "x" +
                std::to_string(kClientHeight));
}

bool Bench::SetUp() {
    std::string error;
    if (!m_vantrel.Start(m_vantrelPath, L"", error) ||
        !m_vantrel.WaitForWindows(
            [](const Windows& w) { return w.frame && w.panel && ::IsWindowVisible(w.panel); }, m_vw, error))
        return Fail("vantrel: " + error);
    m_captureButton = ::GetDlgItem(m_vw.panel, IDC_CAPTURE);
    if (!SizeFrame())
        return false;
    m_origin = POINT{0, 0};
    ::ClientToScreen(m_vw.frame, &m_origin);
    const int screenW = ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int screenH = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (m_origin.x < 0 || m_origin.y < 0 || m_origin.x + kClientWidth > screenW ||
        m_origin.y + kClientHeight > screenH)
        return Fail("the client area does not lie wholly on the " + std::to_string(screenW) + "x" +
                    std::to_string(screenH) + " screen");

    const std::wstring area = std::to_wstring(m_origin.x) + L" " + std::to_wstring(m_origin.y) + L" " +
                              std::to_wstring(kClientWidth) + L" " + std::to_wstring(kClientHeight);
    Windows bw;
    if (!m_baseline.Start(m_baselinePath, area, error) ||
        !m_baseline.WaitForWindows([](const Windows& w) { return w.baseline != nullptr; }, bw, error))
        return Fail("baseline: " + error);
    m_baselineWnd = bw.baseline;

    ::Sleep(500);
    m_vantrelAtStart = ReadMemory(m_vantrel.handle());
    m_baselineAtStart = ReadMemory(m_baseline.handle());
    std::printf("frame \"%s\", client area %dx%d at (%ld, %ld) on a %dx%d screen\n",
                narrow(TextOf(m_vw.frame)).c_str(), kClientWidth, kClientHeight, m_origin.x, m_origin.y,
                screenW, screenH);
    std::fflush(stdout);
    return true;
}

bool Bench::VantrelCapture(bool record) {
    double ms = 0;
    DWORD_PTR answer = 0;
    std::string error;
    if (!TimedCommand(m_vw.panel, IDC_CAPTURE, m_captureButton, ms, answer, error))
        return Fail("vantrel Capture: " + error);
    // The picture look: the frame is opaque (no longer layered) and both windows are back.
    const LONG exStyle = ::GetWindowLongW(m_vw.frame, GWL_EXSTYLE);
    if ((exStyle & WS_EX_LAYERED) || !::IsWindowVisible(m_vw.frame) || !::IsWindowVisible(m_vw.panel))
        return Fail("vantrel Capture returned without the frame in the picture look and both windows shown");
    Pause(m_sleeps);
    const Memory held = ReadMemory(m_vantrel.handle());

    double clearMs = 0;
    if (!TimedCommand(m_vw.panel, IDC_CLEAR, ::GetDlgItem(m_vw.panel, IDC_CLEAR), clearMs, answer, error))
        return Fail("vantrel Clear: " + error);
    if (!(::GetWindowLongW(m_vw.frame, GWL_EXSTYLE) & WS_EX_LAYERED))
        return Fail("vantrel Clear returned with the frame still opaque");
    Pause(m_sleeps);
    if (record) {
        m_vantrelRaw.push_back(ms);
        m_v.ms.push_back(ms - kDesignedWaitMs);
        m_v.held.push_back(held);
        m_v.cleared.push_back(ReadMemory(m_vantrel.handle()));
        m_clearMs.push_back(clearMs);
    }
    return true;
}

bool Bench::BaselineCapture(bool record) {
    double ms = 0;
    DWORD_PTR answer = 0;
    std::string error;
    if (!TimedCommand(m_baselineWnd, IDC_CAPTURE, nullptr, ms, answer, error))
        return Fail("baseline capture: " + error);
    if (answer == 0)
        return Fail("baseline capture: the copy failed");
    const double insideMs = static_cast<double>(answer) / 1000.0;
    Pause(m_sleeps);
    const Memory held = ReadMemory(m_baseline.handle());
    double clearMs = 0;
    if (!TimedCommand(m_baselineWnd, IDC_CLEAR, nullptr, clearMs, answer, error))
        return Fail("baseline clear: " + error);
    Pause(m_sleeps);
    if (record) {
        m_b.ms.push_back(ms);
        m_baselineInside.push_back(insideMs);
        m_b.held.push_back(held);
        m_b.cleared.push_back(ReadMemory(m_baseline.handle()));
    }
    return true;
}

void Bench::ProbeCopy(bool record) {
    const Stopwatch copying;
    HBITMAP copy = bench::CopyScreenArea(m_origin.x, m_origin.y, kClientWidth, kClientHeight);
    const double copyMs = copying.ms();
    if (!copy) {
        Fail("in-probe copy failed");
        return;
    }
    ::DeleteObject(copy);
    Pause(m_sleeps);
    if (record)
        m_probeMs.push_back(copyMs);
}

bool Bench::Round(bool record) {
    if (!VantrelCapture(record) || !BaselineCapture(record))
        return false;
    ProbeCopy(record);
    return true;
}

int Bench::Finish(int runs) {
    const bool vantrelClean = m_vantrel.Close(m_vw.frame);
    const bool baselineClean = m_baseline.Close(m_baselineWnd);
    if (!vantrelClean)
        Fail("vantrel did not close by itself with exit code 0 after WM_CLOSE to its frame");
    if (!baselineClean)
        Fail("the baseline did not close by itself with exit code 0");

    std::printf("\n%-30s %9s %8s %8s\n", "", "median ms", "min ms", "max ms");
    PrintTimes("vantrel Capture - 200 ms wait", m_v.ms);
    PrintTimes("baseline copy (round trip)", m_b.ms);
    PrintTimes("  its copy as timed inside it", m_baselineInside);
    PrintTimes("  same copy inside the probe", m_probeMs);
    PrintTimes("vantrel Capture as sent", m_vantrelRaw);
    PrintTimes("vantrel Clear (not compared)", m_clearMs);
    PrintTimes("a Sleep(200) in the probe", m_sleeps);

    std::printf("\n%-34s %11s %11s %19s\n", "memory (medians)", "working KB", "private KB",
                "working first/last");
    PrintSample("vantrel before its first capture", m_vantrelAtStart);
    PrintMemory("vantrel holding a picture", m_v.held);
    PrintMemory("vantrel after Clear", m_v.cleared);
    PrintSample("baseline before its first copy", m_baselineAtStart);
    PrintMemory("baseline holding its copy", m_b.held);
    PrintMemory("baseline after letting it go", m_b.cleared);
    std::printf("(a %dx%d picture at 32 bits a pixel is %d KB)\n", kClientWidth, kClientHeight,
                kClientWidth * kClientHeight * 4 / 1024);
    if (g_privateSummed)
        std::printf("(private: PrivateUsage reads 0 here, so committed private memory is summed with "
                    "VirtualQueryEx)\n");

    const bool complete =
        m_failures == 0 && static_cast<int>(m_v.ms.size()) == runs && static_cast<int>(m_b.ms.size()) == runs;
    if (m_v.ms.empty() || m_b.ms.empty())
        return 1;
    // Judged on the value as printed, so the verdict never contradicts the line above it.
    const double ratio = std::round(100.0 * median(m_v.ms) / median(m_b.ms)) / 100.0;
    std::printf("\nratio (vantrel/baseline) = %.2f\n", ratio);
    std::printf("target: at most %.1f -> %s\n", kTargetRatio, ratio <= kTargetRatio ? "met" : "NOT met");
    if (!complete)
        std::printf("incomplete: %d failures, %zu of %d vantrel runs, %zu of %d baseline runs\n", m_failures,
                    m_v.ms.size(), runs, m_b.ms.size(), runs);
    std::fflush(stdout);
    return complete ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    int runs = argc == 4 ? _wtoi(argv[1]) : 0;
    if (runs < 1) {
        std::fprintf(stderr, "usage: bench_capture_probe.exe RUNS VANTREL_EXE BASELINE_EXE\n"
                             "  times vantrel's Capture against the bare screen copy, RUNS times each\n");
        return 2;
    }
    std::wstring paths[2];
    for (int i = 0; i < 2; ++i) {
        paths[i] = resolveFile(argv[2 + i]);
        if (paths[i].empty()) {
            std::fprintf(stderr, "no such program: %s\n", narrow(argv[2 + i]).c_str());
            return 2;
        }
    }

    std::printf("capture: WM_COMMAND %d sent and timed until it returns; vantrel's designed %.0f ms wait\n"
                "taken off its times; %d rounds of vantrel, baseline, in-probe copy after one warm-up;\n"
                "memory read %lu ms after each capture and each Clear\n",
                IDC_CAPTURE, kDesignedWaitMs, runs, static_cast<unsigned long>(kPauseMs));
    std::fflush(stdout);
    Bench bench(paths[0], paths[1]);
    if (!bench.SetUp()) {
        bench.Finish(runs);
        return 1;
    }
    bool ok = bench.Round(false);
    for (int i = 0; ok && i < runs; ++i)
        ok = bench.Round(true);
    return bench.Finish(runs);
}
