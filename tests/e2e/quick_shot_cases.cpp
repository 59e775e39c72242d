// End-to-end cases of the quick shot: the system-wide hotkey pressed with real X keys while a window of the
// driver has the focus and a menu of its own open over the region (the file holds exactly what the screen
// showed, and the focus, the foreground and the menu stay), the window-menu item, the names the counter
// gives across restarts, gaps and foreign files without ever writing over a file, the held picture written
// without a dialog, the failures, damaged settings and a hotkey another program holds.
#include "tests/e2e/app.h"
#include "tests/e2e/case_registry.h"
#include "tests/e2e/files.h"
#include "tests/e2e/focus_window.h"
#include "tests/e2e/image_files.h"
#include "tests/e2e/input.h"
#include "tests/e2e/messages.h"
#include "tests/e2e/report.h"
#include "tests/e2e/screen.h"
#include "tests/e2e/stored_settings.h"
#include "tests/e2e/tips.h"
#include "tests/e2e/wait.h"
#include "tests/e2e/window_lookup.h"
#include "tests/e2e/x_input.h"
#include "tests/support/paths.h"
#include "tests/support/text.h"

#include "res/resource.h"

#include <knownfolders.h>
#include <shlobj.h>

using namespace e2e;
using namespace support;

namespace {

const std::wstring kCaptureText = L"Capture";

// Where the driver's focus window stands: far from the frame, the panel and the pattern beneath.
const RECT kFocusWindowRect{1500, 1000, 1900, 1250};

void placeFrame(const App& app) {
    app.moveFrame(300, 250, 460, 330);
}

// The quick-shot item of the window menu, as the menu sends it.
void postQuickShot(const App& app) {
    PostMessageW(app.frame, WM_SYSCOMMAND, IDM_QUICK_SHOT, 0);
}

// The file is a PNG of the client area's size holding exactly expected(x, y) at each of its pixels (x, y
// on the screen).
template <class Expected>
void expectShot(const std::wstring& path, const RECT& client, Expected expected, const std::string& what) {
    const ImageFile image =
        expectImage(path, "PNG", client.right - client.left, client.bottom - client.top, what);
    std::string first;
    const long bad = countDifferences(image.pixels, expected, first, client.left, client.top);
    sayKey((what + "_pixels_differing").c_str(), bad);
    if (bad)
        fail(what + ": " + std::to_string(bad) + " pixels differ from the screen, first at " + first);
}

// vantrel's active and focused windows, to see that a shot changed neither.
std::pair<HWND, HWND> activeAndFocus(const App& app) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(app.frame, nullptr), &info);
    return {info.hwndActive, info.hwndFocus};
}

// ---------------------------------------------------------------- the hotkey

// Ctrl+Shift+F9 pressed as a user presses it while a window of the driver has the foreground, the focus and
// a popup menu open over the region: the file holds exactly what the screen showed there, the menu included
// (0 pixels differ); the frame stays see-through and shown all the while, nothing of vantrel takes the
// activation or the focus, and the menu stays open. The Capture button says so for a moment. A second press
// takes the next number; once vantrel has ended, its hotkey is free again.
void caseHotkeyKeepsFocus() {
    SettingsKey key;
    TempDir dir;
    writeQuickSettings(dir.path(), L"shot_{n}.png");
    App app(vantrel(), Remembered::Kept);
    placeFrame(app);
    PatternWindow pattern(patternArea(app), 1);
    const RECT client = clientRectOnScreen(app.frame);
    pointerTo(POINT{GetSystemMetrics(SM_CXSCREEN) - 5, GetSystemMetrics(SM_CYSCREEN) - 5});
    FocusWindow focus(kFocusWindowRect);

    HWND menu = focus.openMenu(POINT{client.left + 40, client.top + 30});
    const RECT menuRect = windowRect(menu);
    check(menuRect.right <= client.right && menuRect.bottom <= client.bottom,
          "the driver's menu " + rectText(menuRect) + " is not inside the client area " + rectText(client));
    const Pixels menuPixels = captureScreen(menuRect);
    const auto before = activeAndFocus(app);
    check(focus.focused(), "the driver's window lost the focus before the hotkey");

    xKeys(kQuickHotkeyKeys);
    bool stayed = true;
    const std::wstring first = joinPath(dir.path(), L"shot_001.png");
    check(waitFor([&] {
              stayed = stayed && IsWindowVisible(app.frame) && app.layered() && IsWindowVisible(app.panel);
              return fileExists(first);
          }),
          "the hotkey wrote no shot_001.png; the folder holds " + narrow(listText(filesIn(dir.path()))));
    check(stayed, "the frame or the panel was hidden, or the frame left the see-through look, for the shot");
    waitButtonText(app, kQuickSaved, "right after the shot");
    check(focus.focused(), "the shot took the foreground or the focus from the driver's window");
    check(IsWindow(menu) && IsWindowVisible(menu), "the driver's menu closed with the shot");
    check(activeAndFocus(app) == before, "vantrel's active or focused window changed with the shot");
    expectShot(
        first, client,
        [&](int x, int y) {
            const POINT p{x, y};
            return PtInRect(&menuRect, p) ? menuPixels.at(x - menuRect.left, y - menuRect.top)
                                          : pattern.expectedAt(x, y);
        },
        "the shot with the driver's menu open");
    expectFiles(dir.path(), {L"shot_001.png"}, "after the first shot");
    waitButtonText(app, kCaptureText, "a moment after the shot");
    expectNoMessage(app, "after the shot");

    focus.closeMenu();
    pattern.setVariant(0);
    xKeys(kQuickHotkeyKeys);
    const std::wstring second = waitForFile(dir.path(), L"shot_002.png", "the second press");
    check(focus.focused(), "the second shot took the foreground or the focus");
    expectShot(
        second, client, [&](int x, int y) { return pattern.expectedAt(x, y); }, "the second shot");
    check(app.layered(), "the frame left the see-through look");

    // A hotkey held down is one shot, however long the keyboard repeats it.
    xdotool("keydown ctrl+shift+F9 sleep 1.5 keyup ctrl+shift+F9");
    waitForFile(dir.path(), L"shot_003.png", "the hotkey held down");
    Sleep(1000);
    expectFiles(dir.path(), {L"shot_001.png", L"shot_002.png", L"shot_003.png"},
                "after the hotkey was held down");

    app.process.closeProperly();
    check(focus.holdHotkey(MOD_CONTROL | MOD_SHIFT, VK_F9), "vantrel did not let its hotkey go as it ended");
}

// The panel docked on the frame's left shows a tip over the inner area: a quick shot puts it away before it
// copies, so the file holds only what lies beneath.
void caseTipPutAway() {
    SettingsKey key;
    TempDir dir;
    writeQuickSettings(dir.path(), L"tip_{n}.png");
    App app(vantrel(), Remembered::Kept);
    app.moveFrame(500, 250, 460, 330);
    SendMessageW(app.button(IDC_RIGHTPOS), BM_CLICK, 0, 0);
    expectDocked(app, false, "docked on the left");
    PatternWindow pattern(patternArea(app));
    const RECT client = clientRectOnScreen(app.frame);
    POINT pointer{};
    HWND tip = showTipOf(app, app.button(IDC_COPY), pointer, "Copy");
    RECT tipRect = windowRect(tip), over{};
    check(IntersectRect(&over, &tipRect, &client) != FALSE,
          "the tip " + rectText(tipRect) + " does not lie over the inner area " + rectText(client));
    postQuickShot(app);
    const std::wstring path = waitForFile(dir.path(), L"tip_001.png", "the quick shot under the tip");
    expectShot(
        path, client, [&](int x, int y) { return pattern.expectedAt(x, y); }, "the shot with a tip shown");
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
}

// ---------------------------------------------------------------- names

// Numbering goes on from the highest number the pattern gave in the folder, past gaps, across a restart
// and whatever foreign files lie there, and never writes over a file; a pattern without a counter adds
// " (2)", " (3)". The window menu's item takes the shot as the hotkey does.
void caseNumbering() {
    SettingsKey key;
    TempDir dir;
    const std::vector<std::pair<std::wstring, std::string>> existing{
        {L"shot_001.png", "one"},     {L"shot_004.png", "four"},   {L"shot_0099.png", "not ours"},
        {L"shot_abc.png", "letters"}, {L"other_050.png", "other"}, {L"fixed.png", "the user's own"}};
    for (const auto& [name, bytes] : existing)
        writeFile(joinPath(dir.path(), name), bytes);
    std::vector<std::wstring> names;
    for (const auto& file : existing)
        names.push_back(file.first);

    writeQuickSettings(dir.path(), L"shot_{n}.png");
    {
        App app(vantrel(), Remembered::Kept);
        placeFrame(app);
        PatternWindow pattern(patternArea(app));
        postQuickShot(app);
        waitForFile(dir.path(), L"shot_005.png", "the first shot after a gap");
        postQuickShot(app);
        waitForFile(dir.path(), L"shot_006.png", "the next shot");
    }
    {
        App app(vantrel(), Remembered::Kept);
        placeFrame(app);
        PatternWindow pattern(patternArea(app));
        postQuickShot(app);
        waitForFile(dir.path(), L"shot_007.png", "the first shot after a restart");
    }
    writeQuickSettings(dir.path(), L"fixed.png");
    {
        App app(vantrel(), Remembered::Kept);
        placeFrame(app);
        PatternWindow pattern(patternArea(app));
        postQuickShot(app);
        waitForFile(dir.path(), L"fixed (2).png", "a pattern without a counter, its name taken");
        postQuickShot(app);
        waitForFile(dir.path(), L"fixed (3).png", "again");
        expectNoMessage(app, "after the shots");
    }
    for (const wchar_t* added :
         {L"shot_005.png", L"shot_006.png", L"shot_007.png", L"fixed (2).png", L"fixed (3).png"})
        names.push_back(added);
    expectFiles(dir.path(), names, "after every shot");
    for (const auto& [name, bytes] : existing)
        expectUnchanged(joinPath(dir.path(), name), bytes, "after the shots");
}

// ---------------------------------------------------------------- a picture held

// With a picture held, a quick shot writes that picture (not the screen, which has changed since) without a
// dialog, and the picture then counts as kept: the program ends without asking.
void casePictureHeld() {
    SettingsKey key;
    TempDir dir;
    writeQuickSettings(dir.path(), L"held_{n}.png");
    App app(vantrel(), Remembered::Kept);
    placeFrame(app);
    PatternWindow pattern(patternArea(app), 1);
    const RECT client = clientRectOnScreen(app.frame);
    app.run(IDC_CAPTURE);
    waitCaptured(app);
    pattern.setVariant(2);
    postQuickShot(app);
    const std::wstring path = waitForFile(dir.path(), L"held_001.png", "the quick shot of the held picture");
    expectNoMessage(app, "after the quick shot");
    check(!app.layered(), "the frame left the picture look");
    expectShot(
        path, client, [&](int x, int y) { return pattern.colourAt(x, y, 1); }, "the held picture");
    expectEndsWithoutQuestion(app, "after the quick shot of the held picture");
}

// ---------------------------------------------------------------- failures

// A folder that cannot be made (a file lies where it would be) gives Save's message and writes nothing; a
// series into it stops at its first shot with one message. A folder that refuses writes gives the same
// message and nothing is left in it.
void caseFailures() {
    SettingsKey key;
    TempDir dir;
    const std::wstring blocker = joinPath(dir.path(), L"blocker");
    writeFile(blocker, "a file, not a folder");
    writeQuickSettings(joinPath(blocker, L"shots"), L"shot_{n}.png");
    SettingsKey::writeDword(L"SeriesSeconds", 1);
    {
        App app(vantrel(), Remembered::Kept);
        placeFrame(app);
        postQuickShot(app);
        expectMessage(app, kSaveFailed, "a quick shot into a folder that cannot be made");
        PostMessageW(app.frame, WM_SYSCOMMAND, IDM_SERIES, 0);
        expectMessage(app, kSaveFailed, "a series into a folder that cannot be made");
        waitButtonText(app, kCaptureText, "after the series failed");
        Sleep(2500);
        expectNoMessage(app, "seconds after the series failed");
        expectFiles(dir.path(), {L"blocker"}, "after the failures");
    }
    ImmutableFolder locked(joinPath(dir.path(), L"no-write"), {});
    writeQuickSettings(locked.path(), L"shot_{n}.png");
    App app(vantrel(), Remembered::Kept);
    placeFrame(app);
    postQuickShot(app);
    expectMessage(app, kSaveFailed, "a quick shot into a folder that refuses writes");
    expectFiles(locked.path(), {}, "after the failed quick shot");
}

// ---------------------------------------------------------------- settings

// Damaged settings (wrong types, values out of range, a refused pattern) never stop the start and fall
// back to their defaults: Ctrl+Shift+F9 writes Vantrel_<date>_001.png into Vantrel in the Pictures folder.
void caseDamagedSettings() {
    SettingsKey key;
    SettingsKey::writeDword(L"QuickFolder", 7);
    SettingsKey::writeText(L"QuickName", L"a<b.png");
    SettingsKey::writeDword(L"HotkeyQuick", 0x10378);
    SettingsKey::writeText(L"QuickCopy", L"1");
    SettingsKey::writeDword(L"SeriesSeconds", 0);
    const BYTE odd[3] = {1, 2, 3};
    SettingsKey::write(L"SeriesCount", REG_DWORD, odd, sizeof odd);

    PWSTR pictures = nullptr;
    check(SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Pictures, 0, nullptr, &pictures)),
          "the driver cannot find the Pictures folder");
    const std::wstring folder = joinPath(pictures, L"Vantrel");
    CoTaskMemFree(pictures);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t name[64];
    swprintf(name, 64, L"Vantrel_%04u%02u%02u_001.png", now.wYear, now.wMonth, now.wDay);
    const std::wstring expected = joinPath(folder, name);
    check(!fileExists(expected), narrow(expected) + " exists before the case");

    App app(vantrel(), Remembered::Kept);
    expectNoMessage(app, "at start with damaged settings");
    placeFrame(app);
    PatternWindow pattern(patternArea(app));
    FocusWindow focus(kFocusWindowRect);
    xKeys(kQuickHotkeyKeys);
    const bool written = waitFor([&] { return fileExists(expected); });
    DeleteFileW(expected.c_str());
    RemoveDirectoryW(folder.c_str());
    check(written, "the default hotkey wrote no " + narrow(expected));
}

// A hotkey another program holds is named once in a message at start; the other hotkey still works, and
// the other program keeps its own.
void caseHotkeyHeldElsewhere() {
    SettingsKey key;
    TempDir dir;
    writeQuickSettings(dir.path(), L"shot_{n}.png");
    FocusWindow focus(kFocusWindowRect);
    check(focus.holdHotkey(MOD_CONTROL | MOD_SHIFT, VK_F10), "the driver could not hold Ctrl+Shift+F10");
    App app(vantrel(), Remembered::Kept);
    expectMessage(app, kRecordHotkeyRefused, "at start with the recording hotkey held");
    expectNoMessage(app, "after the message at start");
    placeFrame(app);
    PatternWindow pattern(patternArea(app));
    check(bringToFront(focus.hwnd()) && waitFor([&] { return focus.focused(); }),
          "the driver's window did not take the focus back");

    xKeys("ctrl+shift+F10");
    check(waitFor([&] { return focus.hotkeysReceived() == 1; }, 3000),
          "the driver's own hotkey did not reach it");
    xKeys(kQuickHotkeyKeys);
    waitForFile(dir.path(), L"shot_001.png", "the quick-shot hotkey");
    expectNoMessage(app, "after both hotkeys");
}

const RegisterCase kQuickShotCases[] = {
    {"quick_shot_hotkey_keeps_focus", caseHotkeyKeepsFocus},
    {"quick_shot_tip_put_away", caseTipPutAway},
    {"quick_shot_numbering", caseNumbering},
    {"quick_shot_picture_held", casePictureHeld},
    {"quick_shot_failures", caseFailures},
    {"quick_shot_damaged_settings", caseDamagedSettings},
    {"quick_shot_hotkey_held_elsewhere", caseHotkeyHeldElsewhere},
};

} // namespace
