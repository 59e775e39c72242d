// Times a quick shot from its hotkey to the file closed, against the least a program can do for the same:
//
//   bench_quick_probe.exe RUNS VANTREL_EXE BASELINE_EXE
//
// (Windows paths, or paths relative to this probe's folder.) A window of the probe shows a busy picture
// (text over smooth colour, as a screen shows) under a 1920x1080 region. vantrel.exe is started with its
// quick shots set to go into a folder of the probe's as PNG, and its frame sized so that its inner area is
// exactly that region; BASELINE_EXE (bench_quick_baseline.exe) is started with the same rectangle and a
// folder of its own. Each hotkey is pressed as the keyboard does (SendInput: Ctrl and Shift held, then the
// key; Ctrl+Shift+F9 for vantrel, Ctrl+Shift+F11 for the baseline, which copies the screen and saves a PNG
// with GDI+, started once), and timed with QueryPerformanceCounter from the key until the new file can be
// opened for reading by nobody else: written and closed.
//
// After one warm-up of each, RUNS rounds of vantrel then baseline, with a pause between. Prints medians,
// minimum and maximum, the files' sizes and the ratio of the medians (vantrel/baseline) against the goal.
// Exits with 1 when something could not be measured, 2 on bad arguments.
#include "tests/support/dib.h"
#include "tests/support/launch.h"
#include "tests/support/median.h"
#include "tests/support/paths.h"
#include "tests/support/stopwatch.h"
#include "tests/support/text.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace support;

constexpr int kWidth = 1920, kHeight = 1080;
constexpr int kFrameLeft = 40, kFrameTop = 40;
constexpr DWORD kDeadlineMs = 15000;
constexpr DWORD kPauseMs = 300;
constexpr double kGoalRatio = 1.3;
constexpr wchar_t kPictureClass[] = L"VantrelBenchQuickPicture";
constexpr wchar_t kBaselineClass[] = L"VantrelBenchQuickBaseline";

// ---------------------------------------------------------------- the picture under the region

// Smooth colour with lines of text over it, drawn once into the window's background.
HBITMAP MakeBusyPicture(int width, int height) {
    HDC screen = ::GetDC(nullptr);
    const BITMAPINFO bi = topDownInfo(width, height);
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ::ReleaseDC(nullptr, screen);
    if (!bitmap)
        return nullptr;
    auto* px = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double a = 0.5 + 0.5 * std::sin(x / 131.0 + std::sin(y / 71.0) * 1.3);
            const double b = 0.5 + 0.5 * std::cos(y / 53.0 - x / 197.0);
            px[static_cast<size_t>(y) * width + x] = static_cast<std::uint32_t>(60 + 160 * a) << 16 |
                                                     static_cast<std::uint32_t>(80 + 140 * b) << 8 |
                                                     static_cast<std::uint32_t>(90 + 120 * a * b);
        }
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    ::SetBkMode(dc, TRANSPARENT);
    const wchar_t* lines[] = {L"Vantrel quick shot benchmark: the same region again and again.",
                              L"int main() { return region.capture().save(\"shot_001.png\"); }",
                              L"画面の同じ範囲を何度もキャプチャーします。ファイル名は自動で付きます。"};
    for (int row = 0, y = 4; y < height; ++row, y += 18) {
        ::SetTextColor(dc, row % 3 == 0   ? RGB(0, 0, 0)
                           : row % 3 == 1 ? RGB(255, 255, 255)
                                          : RGB(20, 20, 120));
        ::TextOutW(dc, 6 + (row % 7) * 13, y, lines[row % 3], static_cast<int>(wcslen(lines[row % 3])));
        ::TextOutW(dc, 980 - (row % 5) * 11, y, lines[(row + 1) % 3],
                   static_cast<int>(wcslen(lines[(row + 1) % 3])));
    }
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return bitmap;
}

LRESULT CALLBACK PictureProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(wnd, &ps);
        HBITMAP picture = reinterpret_cast<HBITMAP>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
        HDC memory = ::CreateCompatibleDC(dc);
        HGDIOBJ old = ::SelectObject(memory, picture);
        ::BitBlt(dc, 0, 0, kWidth, kHeight, memory, 0, 0, SRCCOPY);
        ::SelectObject(memory, old);
        ::DeleteDC(memory);
        ::EndPaint(wnd, &ps);
        return 0;
    }
    }
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

// The picture's window on a thread of its own, which paints it whenever asked.
class PictureWindow {
public:
    explicit PictureWindow(POINT at) {
        m_thread = std::thread([this, at] {
            m_threadId = ::GetCurrentThreadId();
            HBITMAP picture = MakeBusyPicture(kWidth, kHeight);
            WNDCLASSW wc{};
            wc.lpfnWndProc = PictureProc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = kPictureClass;
            ::RegisterClassW(&wc);
            HWND wnd = picture ? ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kPictureClass, L"",
                                                   WS_POPUP, at.x, at.y, kWidth, kHeight, nullptr, nullptr,
                                                   wc.hInstance, nullptr)
                               : nullptr;
            if (wnd) {
                ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(picture));
                ::ShowWindow(wnd, SW_SHOWNOACTIVATE);
                ::UpdateWindow(wnd);
            }
            m_made = true;
            MSG msg;
            while (wnd && ::GetMessageW(&msg, nullptr, 0, 0) > 0)
                ::DispatchMessageW(&msg);
            if (wnd)
                ::DestroyWindow(wnd);
            if (picture)
                ::DeleteObject(picture);
        });
        while (!m_made)
            ::Sleep(10);
    }
    ~PictureWindow() {
        ::PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
    }
    PictureWindow(const PictureWindow&) = delete;
    PictureWindow& operator=(const PictureWindow&) = delete;

private:
    std::thread m_thread;
    std::atomic<DWORD> m_threadId{0};
    std::atomic<bool> m_made{false};
};

// ---------------------------------------------------------------- the programs

struct Program {
    platform::UniqueHandle process;
    DWORD pid = 0;
};

bool Start(const std::wstring& exe, const std::wstring& arguments, Program& program) {
    LaunchOptions options;
    options.exe = exe;
    options.arguments = arguments;
    options.folder = folderOf(exe);
    Launched child = launch(options);
    if (!child.started)
        return false;
    program.process = std::move(child.process);
    program.pid = child.pid;
    ::WaitForInputIdle(program.process.get(), kDeadlineMs);
    return true;
}

struct Found {
    DWORD pid;
    HWND frame = nullptr, panel = nullptr, baseline = nullptr;
};

Found FindWindows(DWORD pid) {
    Found found{pid};
    ::EnumWindows(
        [](HWND wnd, LPARAM lp) {
            auto* f = reinterpret_cast<Found*>(lp);
            DWORD pid = 0;
            ::GetWindowThreadProcessId(wnd, &pid);
            if (pid != f->pid)
                return TRUE;
            wchar_t cls[64] = L"", text[64] = L"";
            ::GetClassNameW(wnd, cls, 64);
            ::GetWindowTextW(wnd, text, 64);
            if (std::wstring(cls) == kBaselineClass)
                f->baseline = wnd;
            else if (!::GetWindow(wnd, GW_OWNER) && std::wstring(text).rfind(L"Vantrel W:", 0) == 0)
                f->frame = wnd;
            else if (std::wstring(text) == L"Operation" && ::IsWindowVisible(wnd))
                f->panel = wnd;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

template <class Pred> bool WaitFor(Pred pred, DWORD ms) {
    const Stopwatch watch;
    while (!pred()) {
        if (watch.ms() > ms)
            return false;
        ::Sleep(5);
    }
    return true;
}

// Puts the frame's inner area exactly on kWidth x kHeight, the frame's corner at kFrameLeft, kFrameTop.
bool SizeFrame(HWND frame, POINT& origin) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT window{}, client{};
        ::GetWindowRect(frame, &window);
        ::GetClientRect(frame, &client);
        if (client.right == kWidth && client.bottom == kHeight && window.left == kFrameLeft &&
            window.top == kFrameTop)
            break;
        ::SetWindowPos(frame, nullptr, kFrameLeft, kFrameTop,
                       (window.right - window.left) + kWidth - client.right,
                       (window.bottom - window.top) + kHeight - client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT client{};
    ::GetClientRect(frame, &client);
    origin = POINT{0, 0};
    ::ClientToScreen(frame, &origin);
    return client.right == kWidth && client.bottom == kHeight;
}

void WriteSettings(const std::wstring& folder) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Vantrel", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          &key, nullptr) != ERROR_SUCCESS)
        return;
    const std::wstring name = L"q_{n}.png";
    ::RegSetValueExW(key, L"QuickFolder", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                     static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
    ::RegSetValueExW(key, L"QuickName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                     static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
}

// ---------------------------------------------------------------- one shot

void Key(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ::SendInput(1, &in, sizeof in);
}

// Opened for reading with no sharing: the writer has closed it.
bool Closed(const std::wstring& path) {
    HANDLE h =
        ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(h);
    return true;
}

// Presses Ctrl+Shift+key and times it until the file is closed; a negative time when it never was.
double TimedShot(WORD key, const std::wstring& file) {
    Key(VK_CONTROL, false);
    Key(VK_SHIFT, false);
    ::Sleep(30);
    const Stopwatch watch;
    Key(key, false);
    Key(key, true);
    Key(VK_SHIFT, true);
    Key(VK_CONTROL, true);
    while (!Closed(file)) {
        if (watch.ms() > kDeadlineMs)
            return -1;
        ::Sleep(1);
    }
    return watch.ms();
}

long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return static_cast<long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

void PrintTimes(const char* name, const std::vector<double>& ms) {
    if (ms.empty()) {
        std::printf("%-34s no successful run\n", name);
        return;
    }
    const auto [lo, hi] = std::minmax_element(ms.begin(), ms.end());
    std::printf("%-34s %9.1f %8.1f %8.1f\n", name, median(ms), *lo, *hi);
}

std::wstring Numbered(const wchar_t* format, int n) {
    wchar_t name[32];
    swprintf(name, 32, format, n);
    return name;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc == 4 ? _wtoi(argv[1]) : 0;
    if (runs < 1) {
        std::fprintf(stderr, "usage: bench_quick_probe.exe RUNS VANTREL_EXE BASELINE_EXE\n");
        return 2;
    }
    const std::wstring vantrelExe = resolveFile(argv[2]), baselineExe = resolveFile(argv[3]);
    if (vantrelExe.empty() || baselineExe.empty()) {
        std::fprintf(stderr, "no such program\n");
        return 2;
    }
    const std::wstring root =
        joinPath(tempFolder(), L"vantrel_bench_quick_" + std::to_wstring(::GetCurrentProcessId()));
    const std::wstring vantrelDir = joinPath(root, L"vantrel"), baselineDir = joinPath(root, L"baseline");
    ::CreateDirectoryW(root.c_str(), nullptr);
    ::CreateDirectoryW(vantrelDir.c_str(), nullptr);
    ::CreateDirectoryW(baselineDir.c_str(), nullptr);
    WriteSettings(vantrelDir);

    int failures = 0;
    auto fail = [&](const char* what) {
        std::printf("  %s\n", what);
        ++failures;
    };
    Program vantrel, baseline;
    Found vw{0};
    POINT origin{};
    if (!Start(vantrelExe, L"", vantrel) ||
        !WaitFor([&] { return (vw = FindWindows(vantrel.pid)).frame && vw.panel; }, kDeadlineMs) ||
        !SizeFrame(vw.frame, origin)) {
        std::printf("vantrel did not come up with a %dx%d inner area\n", kWidth, kHeight);
        return 1;
    }
    PictureWindow picture(origin);
    const std::wstring area = std::to_wstring(origin.x) + L" " + std::to_wstring(origin.y) + L" " +
                              std::to_wstring(kWidth) + L" " + std::to_wstring(kHeight) + L" \"" +
                              baselineDir + L"\"";
    Found bw{0};
    if (!Start(baselineExe, area, baseline) ||
        !WaitFor([&] { return (bw = FindWindows(baseline.pid)).baseline != nullptr; }, kDeadlineMs)) {
        std::printf("the baseline did not come up\n");
        closeOrTerminate(vantrel.process.get(), vw.frame, 10000);
        return 1;
    }
    ::Sleep(800);
    std::printf("quick shot: %dx%d region at (%ld, %ld), PNG; hotkey (SendInput) to the file closed;\n"
                "%d rounds of vantrel then baseline after one warm-up, %lu ms apart\n",
                kWidth, kHeight, origin.x, origin.y, runs, static_cast<unsigned long>(kPauseMs));
    std::fflush(stdout);

    std::vector<double> v, b;
    for (int round = 0; round <= runs; ++round) {
        const double vm = TimedShot(VK_F9, joinPath(vantrelDir, Numbered(L"q_%03d.png", round + 1)));
        ::Sleep(kPauseMs);
        const double bm = TimedShot(VK_F11, joinPath(baselineDir, Numbered(L"b_%d.png", round + 1)));
        ::Sleep(kPauseMs);
        if (vm < 0 || bm < 0) {
            fail(vm < 0 ? "vantrel wrote no file for its hotkey"
                        : "the baseline wrote no file for its hotkey");
            break;
        }
        if (round > 0) {
            v.push_back(vm);
            b.push_back(bm);
        }
    }
    const long long vBytes = FileSize(joinPath(vantrelDir, L"q_001.png")),
                    bBytes = FileSize(joinPath(baselineDir, L"b_1.png"));

    if (!closeOrTerminate(vantrel.process.get(), vw.frame, 10000))
        fail("vantrel did not close by itself");
    if (!closeOrTerminate(baseline.process.get(), bw.baseline, 10000))
        fail("the baseline did not close by itself");
    for (const std::wstring& dir : {vantrelDir, baselineDir}) {
        WIN32_FIND_DATAW fd;
        HANDLE find = ::FindFirstFileW(joinPath(dir, L"*.png").c_str(), &fd);
        if (find != INVALID_HANDLE_VALUE) {
            do
                ::DeleteFileW(joinPath(dir, fd.cFileName).c_str());
            while (::FindNextFileW(find, &fd));
            ::FindClose(find);
        }
        ::RemoveDirectoryW(dir.c_str());
    }
    ::RemoveDirectoryW(root.c_str());
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Vantrel");

    std::printf("\n%-34s %9s %8s %8s\n", "", "median ms", "min ms", "max ms");
    PrintTimes("vantrel quick shot", v);
    PrintTimes("baseline copy + GDI+ PNG save", b);
    std::printf("file bytes: vantrel %lld, baseline %lld\n", vBytes, bBytes);
    if (v.empty() || b.empty())
        return 1;
    const double ratio = std::round(100.0 * median(v) / median(b)) / 100.0;
    std::printf("\nratio (vantrel/baseline) = %.2f\n", ratio);
    std::printf("goal: at most %.1f -> %s\n", kGoalRatio, ratio <= kGoalRatio ? "met" : "NOT met");
    const bool complete = failures == 0 && static_cast<int>(v.size()) == runs;
    if (!complete)
        std::printf("incomplete: %d failures, %zu of %d rounds\n", failures, v.size(), runs);
    std::fflush(stdout);
    return complete ? 0 : 1;
}
