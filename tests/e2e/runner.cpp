// End-to-end driver: starts the real vantrel.exe (found beside this program) and checks from outside what a
// user sees. `vantrel_e2e.exe CASE` runs one case, `--list` names them (with the seconds of those that need
// longer than ctest's usual limit), `--shots DIR` saves screenshots of the frame and the About box; the
// console helper modes are console.cpp's.
#include "tests/e2e/app.h"
#include "tests/e2e/case_registry.h"
#include "tests/e2e/console.h"
#include "tests/e2e/display_scale.h"
#include "tests/e2e/files.h"
#include "tests/e2e/report.h"
#include "tests/e2e/screen.h"
#include "tests/e2e/window_lookup.h"
#include "tests/support/paths.h"
#include "tests/support/stopwatch.h"
#include "tests/support/text.h"

#include "res/resource.h"

#include <algorithm>

using namespace e2e;
using namespace support;

namespace e2e {

namespace {
std::vector<Case>& caseList() {
    static std::vector<Case> cases;
    return cases;
}
} // namespace

const std::vector<Case>& registeredCases() {
    return caseList();
}

RegisterCase::RegisterCase(const char* name, void (*run)(), int timeoutSeconds) {
    caseList().push_back({name, run, timeoutSeconds});
}

} // namespace e2e

namespace {

// A case that was killed (a time-out) cannot end its vantrel; the next case ends such a leftover first
// (without the question about an unsaved picture), so that one failure does not spread to every case
// after it.
void closeLeftoverFrames() {
    std::vector<HWND> frames;
    EnumWindows(
        [](HWND w, LPARAM out) {
            if (IsWindowVisible(w) && className(w) == L"#32770" && windowText(w).rfind(L"Vantrel W:", 0) == 0)
                reinterpret_cast<std::vector<HWND>*>(out)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&frames));
    for (HWND w : frames) {
        sayKey("leftover_frame_closed", hex(w));
        PostMessageW(w, WM_VANTREL_END_WITHOUT_ASKING, 0, 0);
    }
    if (!frames.empty())
        waitFor(
            [&] {
                return std::none_of(frames.begin(), frames.end(), [](HWND w) { return IsWindow(w) != 0; });
            },
            5000);
}

int runCase(const Case& c) {
    setCurrentCase(c.name);
    say(std::string("case=") + c.name);
    sayKey("vantrel", vantrelPath());
    closeLeftoverFrames();
    Stopwatch watch;
    std::string reason, skipped;
    try {
        // A case killed at its time-out cannot set the display scale back itself.
        resetDisplayScale();
        check(fileExists(vantrelPath()), "vantrel.exe not found beside the driver");
        c.run();
    } catch (const CaseFailure& e) {
        reason = e.what();
    } catch (const CaseSkipped& e) {
        skipped = e.what();
    } catch (const std::exception& e) {
        reason = std::string("unexpected exception: ") + e.what();
    }
    for (const std::string& problem : takeCleanupFailures())
        reason += (reason.empty() ? "" : "; also ") + problem;
    say("seconds=" + std::to_string(watch.seconds()));
    if (!reason.empty()) {
        say(std::string("FAIL ") + c.name + ": " + reason);
        return 1;
    }
    if (!skipped.empty()) {
        say(std::string("SKIP ") + c.name + ": " + skipped);
        return kSkipExitCode;
    }
    say(std::string("PASS ") + c.name);
    return 0;
}

int shotsMode(const std::wstring& dirArg) {
    setCurrentCase("shots");
    std::wstring dir = toWindowsPath(dirArg);
    CreateDirectoryW(dir.c_str(), nullptr);
    try {
        Process p(vantrel());
        HWND frame = waitForFrame(p);
        RECT under = windowRect(frame);
        InflateRect(&under, 160, 120);
        PatternWindow pattern(under);
        Sleep(800);
        std::wstring frameShot = joinPath(dir, L"frame.bmp");
        check(saveScreenBmp(frameShot), "could not write " + narrow(frameShot));
        sayKey("shot", frameShot);
        HWND about = openAboutBox(p, frame, IDM_ABOUTBOX, 10000);
        check(about != nullptr, "no About box appeared");
        Sleep(800);
        std::wstring aboutShot = joinPath(dir, L"about.bmp");
        check(saveScreenBmp(aboutShot), "could not write " + narrow(aboutShot));
        sayKey("shot", aboutShot);
        HWND ok = GetDlgItem(about, IDOK);
        if (ok)
            sendMessageTimeout(ok, BM_CLICK, 0, 0);
        closeOrFail(p, "");
    } catch (const CaseFailure& e) {
        say(std::string("FAIL shots: ") + e.what());
        return 1;
    }
    auto problems = takeCleanupFailures();
    if (!problems.empty()) {
        say("FAIL shots: " + problems.front());
        return 1;
    }
    say("PASS shots");
    return 0;
}

int usage() {
    say("usage: vantrel_e2e.exe CASE | --list | --shots DIR");
    return 2;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    initOutput();
    becomeDpiAware();
    if (argc < 2)
        return usage();
    std::wstring mode = argv[1];
    if (mode == L"--list") {
        for (const Case& c : registeredCases())
            say(c.name + (c.timeoutSeconds ? " " + std::to_string(c.timeoutSeconds) : std::string()));
        return 0;
    }
    if (std::optional<int> exitCode = runConsoleHelperMode(argc, argv))
        return *exitCode;
    if (mode == L"--shots" && argc == 3)
        return shotsMode(argv[2]);
    for (const Case& c : registeredCases())
        if (mode == widen(c.name))
            return runCase(c);
    say("unknown case " + narrow(mode));
    return usage();
}
