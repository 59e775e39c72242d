// End-to-end cases of the series of quick shots: ten shots a second apart, each written within 250 ms of its
// moment (judged by the files' own times, not by when this driver looks), the frame resized on the way; a
// series without an end that a dialog holds without stopping it and that a click on the Capture button and
// the window-menu item stop; and the states in which none starts.
#include "tests/e2e/app.h"
#include "tests/e2e/case_registry.h"
#include "tests/e2e/files.h"
#include "tests/e2e/image_files.h"
#include "tests/e2e/messages.h"
#include "tests/e2e/report.h"
#include "tests/e2e/screen.h"
#include "tests/e2e/stored_settings.h"
#include "tests/e2e/wait.h"
#include "tests/e2e/window_lookup.h"
#include "tests/e2e/x_input.h"
#include "tests/support/paths.h"
#include "tests/support/text.h"

#include "res/resource.h"

#include <algorithm>
#include <cstdlib>

using namespace e2e;
using namespace support;

namespace {

const std::wstring kCaptureText = L"Capture";

void postSeries(const App& app) {
    PostMessageW(app.frame, WM_SYSCOMMAND, IDM_SERIES, 0);
}

std::wstring shotName(int n) {
    wchar_t name[32];
    swprintf(name, 32, L"s_%03d.png", n);
    return name;
}

// When the file was last written, in ms on the system's clock.
double writtenMs(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    check(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data), "cannot read " + narrow(path));
    ULARGE_INTEGER t;
    t.LowPart = data.ftLastWriteTime.dwLowDateTime;
    t.HighPart = data.ftLastWriteTime.dwHighDateTime;
    return static_cast<double>(t.QuadPart) / 10000.0;
}

void settingsForSeries(const std::wstring& folder, DWORD seconds, DWORD count) {
    writeQuickSettings(folder, L"s_{n}.png");
    SettingsKey::writeDword(L"SeriesSeconds", seconds);
    SettingsKey::writeDword(L"SeriesCount", count);
}

// ---------------------------------------------------------------- on time

// Ten shots at 1 s: the Capture button counts them ("1/10" ... "10/10") and reads Capture again after the
// last; the files' write times lie each within 250 ms of first + k s. After the fifth the frame is resized,
// and the later shots take its new size.
void caseTenAtOneSecond() {
    SettingsKey key;
    TempDir dir;
    settingsForSeries(dir.path(), 1, 10);
    App app(vantrel(), Remembered::Kept);
    app.moveFrame(300, 250, 300, 220);
    PatternWindow pattern(patternArea(app));
    const SIZE before = clientSize(app.frame);

    postSeries(app);
    waitButtonText(app, L"1/10", "the first shot, at once");
    waitButtonText(app, L"5/10", "the fifth shot", 8000);
    app.moveFrame(300, 250, 340, 250);
    const SIZE after = clientSize(app.frame);
    waitButtonText(app, kCaptureText, "the end of the series", 10000);

    std::vector<std::wstring> names;
    for (int n = 1; n <= 10; ++n)
        names.push_back(shotName(n));
    expectFiles(dir.path(), names, "after ten shots");
    const double first = writtenMs(joinPath(dir.path(), shotName(1)));
    double worst = 0;
    for (int k = 1; k < 10; ++k) {
        const double late = writtenMs(joinPath(dir.path(), shotName(k + 1))) - first - k * 1000.0;
        sayKey(("shot_" + std::to_string(k + 1) + "_late_ms").c_str(), static_cast<long>(late));
        worst = std::max(worst, std::abs(late));
        check(std::abs(late) <= 250, "shot " + std::to_string(k + 1) + " was written " +
                                         std::to_string(static_cast<long>(late)) + " ms off its moment");
    }
    sayKey("worst_ms", static_cast<long>(worst));
    expectImage(joinPath(dir.path(), shotName(1)), "PNG", before.cx, before.cy, "the first shot");
    expectImage(joinPath(dir.path(), shotName(10)), "PNG", after.cx, after.cy,
                "the last shot, after the resize");
    expectNoMessage(app, "after the series");
}

// ---------------------------------------------------------------- stopping, dialogs, refusals

// How many files the folder holds.
size_t fileCount(const std::wstring& dir) {
    return filesIn(dir).size();
}

// A series without an end goes on while the About box is open but takes no shot under it; a real click on
// the Capture button stops it, and so does the window-menu item a second time. It does not start with a
// picture held (Capture's message) nor while a timed capture counts.
void caseStoppedAndHeld() {
    SettingsKey key;
    TempDir dir;
    settingsForSeries(dir.path(), 1, 0);
    App app(vantrel(), Remembered::Kept);
    app.moveFrame(300, 250, 300, 220);
    PatternWindow pattern(patternArea(app));

    postSeries(app);
    waitButtonText(app, L"2枚", "the series without an end", 5000);
    HWND about = openAboutBox(app.process, app.frame);
    check(about != nullptr, "no About box appeared");
    const size_t underDialog = fileCount(dir.path());
    Sleep(2500);
    expectEq("files written while the About box was open", static_cast<long long>(underDialog),
             static_cast<long long>(fileCount(dir.path())));
    PostMessageW(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
    check(waitFor([&] { return !IsWindow(about); }), "the About box did not close");
    const std::wstring next = std::to_wstring(underDialog + 1) + L"枚";
    waitButtonText(app, next, "the series after the About box closed", 3000);

    clickAt(centre(windowRect(app.button(IDC_CAPTURE))));
    waitButtonText(app, kCaptureText, "a click on the Capture button", 2000);
    const size_t stopped = fileCount(dir.path());
    Sleep(2000);
    expectEq("files written after the click", static_cast<long long>(stopped),
             static_cast<long long>(fileCount(dir.path())));
    check(app.layered(), "the click on the Capture button captured");

    postSeries(app);
    waitButtonText(app, L"1枚", "the series started again");
    postSeries(app);
    waitButtonText(app, kCaptureText, "the window-menu item again", 2000);
    const size_t afterItem = fileCount(dir.path());
    Sleep(1500);
    expectEq("files written after the item stopped the series", static_cast<long long>(afterItem),
             static_cast<long long>(fileCount(dir.path())));

    app.run(IDC_CAPTURE);
    waitCaptured(app);
    postSeries(app);
    expectMessage(app, kAlreadyCaptured, "the series with a picture held");
    app.run(IDC_CLEAR);
    PostMessageW(app.frame, WM_SYSCOMMAND, IDM_CAPTURE_IN_10S, 0);
    waitButtonText(app, L"10", "the 10 s timed capture");
    postSeries(app);
    Sleep(1500);
    expectEq("files written by a series asked for while counting", static_cast<long long>(afterItem),
             static_cast<long long>(fileCount(dir.path())));
    check(captureButtonText(app) != kCaptureText && captureButtonText(app).find(L"枚") == std::wstring::npos,
          "the Capture button shows " + quoted(captureButtonText(app)) + " rather than the countdown");
    app.run(IDC_CLEAR);
    expectNoMessage(app, "at the end");
}

const RegisterCase kSeriesCases[] = {
    {"series_ten_at_one_second", caseTenAtOneSecond, 90},
    {"series_stopped_and_held", caseStoppedAndHeld, 90},
};

} // namespace
