// Times how long two GUI programs take to start, side by side in one run:
//
//   bench_startup_probe.exe RUNS EXE1 EXE2
//
// EXE1 is the program measured and EXE2 the baseline (Windows paths, or paths relative to this
// probe's folder). After one warm-up start of each, the two are started RUNS times each, alternating,
// so that any drift of the machine hits both alike. A start is timed from just before CreateProcessW
// until a visible, unowned top-level window of the new process exists and answers a message. The
// working set is read after a short settle; then the window is asked to close and the process must
// end by itself.
//
// Prints per program the median, minimum and maximum start-up time, the median working set and the
// file size, then the ratio of the medians (EXE1/EXE2) against the target. Exits with 1 when a program
// could not be measured or did not close by itself.
#include "tests/support/launch.h"
#include "tests/support/median.h"
#include "tests/support/paths.h"
#include "tests/support/stopwatch.h"
#include "tests/support/text.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace support;

constexpr DWORD kStartDeadlineMs = 30000; // a window must be up this long after CreateProcessW
constexpr UINT kAnswerTimeoutMs = 2000;   // one WM_NULL may take this long
constexpr DWORD kSettleMs = 300;          // wait between "up" and reading the working set
constexpr DWORD kExitDeadlineMs = 10000;  // after WM_CLOSE the process must end within this
constexpr DWORD kPauseBetweenRunsMs = 100;
constexpr double kTargetRatio = 1.3;

struct Program {
    std::wstring path;
    std::wstring folder;
    std::string name;  // file name, for the table
    std::string label; // short name, for the ratio line
    unsigned long long fileBytes = 0;
    std::string window; // class and caption of the window seen at the warm-up start
    std::vector<double> startMs;
    std::vector<double> workingSetKb;
    int failures = 0;
    int forcedEnds = 0;
    int badExitCodes = 0;
};

struct RunResult {
    bool up = false;
    double startMs = 0;
    double workingSetKb = 0;
    bool forcedEnd = false;
    DWORD exitCode = 0;
    std::string window;
    std::string error;
};

std::wstring FileNameOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// "bench_minimal_window.exe" -> "minimal", "vantrel.exe" -> "vantrel".
std::string ShortLabel(const std::string& fileName) {
    std::string stem = fileName.substr(0, fileName.find_last_of('.'));
    const std::string prefix = "bench_";
    if (stem.compare(0, prefix.size(), prefix) == 0)
        stem.erase(0, prefix.size());
    return stem.substr(0, stem.find('_'));
}

// Resolves an argument to a full path and reads the file's size; false when there is no such file.
bool ResolveProgram(const std::wstring& arg, Program& program) {
    program.path = resolveFile(arg);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (program.path.empty() || !::GetFileAttributesExW(program.path.c_str(), GetFileExInfoStandard, &data))
        return false;
    program.folder = folderOf(program.path);
    program.name = narrow(FileNameOf(program.path));
    program.label = ShortLabel(program.name);
    program.fileBytes = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

struct WindowSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindVisibleWindow(HWND wnd, LPARAM lp) {
    auto* search = reinterpret_cast<WindowSearch*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    // Owned windows (a panel beside the main window, a message box) do not count: the program is up
    // when its own main window is.
    if (pid != search->pid || !::IsWindowVisible(wnd) || ::GetWindow(wnd, GW_OWNER))
        return TRUE;
    search->found = wnd;
    return FALSE;
}

HWND VisibleTopLevelWindow(DWORD pid) {
    WindowSearch search{pid, nullptr};
    ::EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string Describe(HWND wnd) {
    wchar_t cls[128] = L"";
    wchar_t caption[256] = L"";
    ::GetClassNameW(wnd, cls, static_cast<int>(std::size(cls)));
    ::GetWindowTextW(wnd, caption, static_cast<int>(std::size(caption)));
    return narrow(cls) + " \"" + narrow(caption) + "\"";
}

// Starts the program once, waits until it is up, reads its working set and closes it again.
RunResult RunOnce(const Program& program) {
    RunResult result;
    LaunchOptions options;
    options.exe = program.path;
    options.folder = program.folder;

    const Stopwatch started;
    const Launched child = launch(options);
    if (!child.started) {
        result.error = "CreateProcessW failed, error " + std::to_string(child.error);
        return result;
    }
    const HANDLE process = child.process.get();

    // Blocks until the program first waits for input, usually the moment its loop starts and its window
    // is up; polling alone would load the single Wine server while the program starts. The polling
    // below decides when it is up, so an early or failed wait only costs polls.
    ::WaitForInputIdle(process, kStartDeadlineMs);
    HWND wnd = nullptr;
    for (;;) {
        if (HWND candidate = VisibleTopLevelWindow(child.pid)) {
            DWORD_PTR answer = 0;
            if (::SendMessageTimeoutW(candidate, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                                      kAnswerTimeoutMs, &answer)) {
                result.startMs = started.ms();
                wnd = candidate;
                break;
            }
        }
        if (::WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
            result.error = "the process ended before it showed a window";
            break;
        }
        if (started.ms() > kStartDeadlineMs) {
            result.error = "no visible window within " + std::to_string(kStartDeadlineMs / 1000) + " s";
            break;
        }
        ::Sleep(1);
    }

    if (wnd) {
        result.up = true;
        result.window = Describe(wnd);
        ::Sleep(kSettleMs);
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof(counters);
        if (::GetProcessMemoryInfo(process, &counters, sizeof(counters)))
            result.workingSetKb = static_cast<double>(counters.WorkingSetSize) / 1024.0;
    }
    result.forcedEnd = !closeOrTerminate(process, wnd, kExitDeadlineMs);
    ::GetExitCodeProcess(process, &result.exitCode);
    return result;
}

// Runs the program once and files the outcome; a warm-up run files only failures and the window seen.
void RunAndRecord(Program& program, bool warmUp) {
    RunResult r = RunOnce(program);
    if (!r.up) {
        ++program.failures;
        std::printf("  %s: %s%s\n", program.name.c_str(), r.error.c_str(),
                    r.forcedEnd ? " (ended with TerminateProcess)" : "");
        std::fflush(stdout);
        return;
    }
    if (r.forcedEnd) {
        ++program.forcedEnds;
        std::printf("  %s: did not end within %lu s of WM_CLOSE; ended with TerminateProcess\n",
                    program.name.c_str(), static_cast<unsigned long>(kExitDeadlineMs / 1000));
        std::fflush(stdout);
    } else if (r.exitCode != 0) {
        ++program.badExitCodes;
    }
    if (warmUp) {
        program.window = r.window;
        return;
    }
    program.startMs.push_back(r.startMs);
    program.workingSetKb.push_back(r.workingSetKb);
}

void PrintRow(const Program& p, size_t nameWidth) {
    const auto [lo, hi] = std::minmax_element(p.startMs.begin(), p.startMs.end());
    std::printf("%-*s %9.1f %8.1f %8.1f %11.0f %8.0f\n", static_cast<int>(nameWidth), p.name.c_str(),
                median(p.startMs), *lo, *hi, median(p.workingSetKb),
                static_cast<double>(p.fileBytes) / 1024.0);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    int runs = argc == 4 ? _wtoi(argv[1]) : 0;
    if (runs < 1) {
        std::fprintf(stderr, "usage: bench_startup_probe.exe RUNS EXE1 EXE2\n"
                             "  times the start-up of EXE1 and of the baseline EXE2, RUNS times each\n");
        return 2;
    }
    Program programs[2];
    for (int i = 0; i < 2; ++i) {
        if (!ResolveProgram(argv[2 + i], programs[i])) {
            std::fprintf(stderr, "no such program: %s\n", narrow(argv[2 + i]).c_str());
            return 2;
        }
    }

    std::printf("start-up: CreateProcessW until a visible main window answers WM_NULL\n"
                "%d runs each, alternating, after one warm-up start of each (not counted);\n"
                "working set read %lu ms after start-up\n",
                runs, static_cast<unsigned long>(kSettleMs));
    std::fflush(stdout);
    for (Program& p : programs)
        RunAndRecord(p, true);
    for (Program& p : programs) {
        if (p.failures)
            return 1;
        std::printf("  %s window: %s\n", p.name.c_str(), p.window.c_str());
    }
    for (int i = 0; i < runs * 2; ++i) {
        RunAndRecord(programs[i % 2], false);
        ::Sleep(kPauseBetweenRunsMs);
    }

    size_t nameWidth = 7;
    for (const Program& p : programs)
        nameWidth = std::max(nameWidth, p.name.size());
    std::printf("\n%-*s %9s %8s %8s %11s %8s\n", static_cast<int>(nameWidth), "program", "median ms",
                "min ms", "max ms", "working KB", "exe KB");
    bool complete = true;
    for (const Program& p : programs) {
        if (p.startMs.empty()) {
            std::printf("%-*s no successful start\n", static_cast<int>(nameWidth), p.name.c_str());
            complete = false;
            continue;
        }
        PrintRow(p, nameWidth);
    }
    for (const Program& p : programs) {
        if (p.failures || p.forcedEnds || p.badExitCodes)
            std::printf("%s: %d failed starts, %d forced ends, %d non-zero exit codes\n", p.name.c_str(),
                        p.failures, p.forcedEnds, p.badExitCodes);
        if (p.failures || p.forcedEnds)
            complete = false;
    }
    if (programs[0].startMs.empty() || programs[1].startMs.empty())
        return 1;

    // Judged on the value as printed, so the verdict never contradicts the line above it.
    double ratio = std::round(100.0 * median(programs[0].startMs) / median(programs[1].startMs)) / 100.0;
    std::printf("\nratio (%s/%s) = %.2f\n", programs[0].label.c_str(), programs[1].label.c_str(), ratio);
    std::printf("target: at most %.1f -> %s\n", kTargetRatio, ratio <= kTargetRatio ? "met" : "NOT met");
    std::fflush(stdout);
    return complete ? 0 : 1;
}
