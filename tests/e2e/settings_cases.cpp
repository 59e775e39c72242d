// End-to-end cases of the settings dialog of the window menu: its fields show the settings in force (the
// defaults at a first start), typed values are checked, stored under HKCU\Software\Vantrel and take effect at
// once (a new hotkey writes into the new folder under the new pattern and copies to the clipboard), Cancel
// changes nothing, and the stored values come back at the next start; a refused pattern is said and
// nothing is stored; a hotkey another program holds, or one key for both, is shown beside its field.
// Fields are typed and hotkeys pressed with real X keys, as a user does.
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
#include "tests/e2e/wait.h"
#include "tests/e2e/window_lookup.h"
#include "tests/e2e/x_input.h"
#include "tests/support/paths.h"
#include "tests/support/text.h"

#include "res/resource.h"

#include <commctrl.h>
#include <knownfolders.h>
#include <shlobj.h>

using namespace e2e;
using namespace support;

namespace {

const wchar_t kSettingsCaption[] = L"設定";
const RECT kFocusWindowRect{1500, 1000, 1900, 1250};
constexpr DWORD kCtrlAltQ = 0x0651; // HOTKEYF_CONTROL | HOTKEYF_ALT, 'Q'

HWND item(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    check(control != nullptr, "the settings dialog has no control " + std::to_string(id));
    return control;
}

std::wstring text(HWND dialog, int id) {
    return windowText(item(dialog, id));
}

DWORD hotkeyIn(HWND dialog, int id) {
    DWORD_PTR word = 0;
    sendMessageTimeout(item(dialog, id), HKM_GETHOTKEY, 0, 0, 5000, &word);
    return static_cast<DWORD>(word & 0xFFFF);
}

// Opens the dialog with the command of the window-menu item; it is owned by the frame and active.
HWND openSettings(const App& app) {
    const std::vector<HWND> before = topLevelWindows(app.process.pid());
    PostMessageW(app.frame, WM_SYSCOMMAND, IDM_SETTINGS, 0);
    HWND dialog = waitForNewWindow(app.process, before, 10000);
    check(dialog != nullptr,
          "no settings dialog appeared; windows of vantrel:" + describeWindows(app.process.pid()));
    expectEq("the dialog's caption", kSettingsCaption, windowText(dialog));
    check(GetWindow(dialog, GW_OWNER) == app.frame, "the settings dialog is not owned by the frame");
    // A click on its caption, as a user gives it the keyboard, whichever window the X server had focused.
    const RECT w = windowRect(dialog), c = clientRectOnScreen(dialog);
    clickAt(POINT{(w.left + w.right) / 2, (w.top + c.top) / 2});
    check(waitFor([&] { return GetForegroundWindow() == dialog; }, 3000),
          "the settings dialog is not the active window");
    return dialog;
}

// Gives a field the keyboard focus as Tab would (an edit's text selected), so that typing replaces it.
void focusField(HWND dialog, int id) {
    HWND control = item(dialog, id);
    PostMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    check(waitFor([&] {
              GUITHREADINFO info{};
              info.cbSize = sizeof info;
              return GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) &&
                     info.hwndFocus == control;
          }),
          "field " + std::to_string(id) + " of the settings dialog did not take the focus");
}

void typeInto(HWND dialog, int id, const std::string& typed) {
    focusField(dialog, id);
    xType(typed);
}

// Presses keys in a hotkey field, as a user sets a hotkey (BackSpace clears one).
void pressInto(HWND dialog, int id, const std::string& keys) {
    focusField(dialog, id);
    xKeys(keys);
    Sleep(200);
}

void waitText(HWND dialog, int id, const std::wstring& want, const std::string& what) {
    check(waitFor([&] { return text(dialog, id) == want; }, 3000),
          what + ": shows " + quoted(text(dialog, id)) + ", not " + quoted(want));
}

void closeWith(HWND dialog, int button, const std::string& when) {
    PostMessageW(item(dialog, button), BM_CLICK, 0, 0);
    check(waitFor([&] { return !IsWindow(dialog); }), when + ": the settings dialog did not close");
}

// The name field of the system's file dialogs.
constexpr int kPickerNameEdit = 0x480;

// Presses the browse button and waits for the folder picker, owned by the settings dialog.
HWND openFolderPicker(const App& app, HWND dialog) {
    const std::vector<HWND> before = topLevelWindows(app.process.pid());
    PostMessageW(item(dialog, IDC_SET_BROWSE), BM_CLICK, 0, 0);
    HWND picker = waitForNewWindow(app.process, before, 10000);
    check(picker != nullptr, "the browse button opened no folder picker");
    check(GetWindow(picker, GW_OWNER) == dialog, "the folder picker is not owned by the settings dialog");
    check(!IsWindowEnabled(dialog), "the settings dialog takes input while the folder picker is up");
    return picker;
}

std::wstring today() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t date[16];
    swprintf(date, 16, L"%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    return date;
}

std::wstring defaultFolder() {
    PWSTR pictures = nullptr;
    check(SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Pictures, 0, nullptr, &pictures)),
          "the driver cannot find the Pictures folder");
    const std::wstring folder = joinPath(pictures, L"Vantrel");
    CoTaskMemFree(pictures);
    return folder;
}

struct Shown {
    std::wstring folder, pattern, seconds, count;
    bool copy;
    DWORD quick, record;
};

void expectShown(HWND dialog, const Shown& want, const std::string& when) {
    expectEq(when + ": folder", want.folder, text(dialog, IDC_SET_FOLDER));
    expectEq(when + ": pattern", want.pattern, text(dialog, IDC_SET_PATTERN));
    expectEq(when + ": copy", want.copy,
             SendMessageW(item(dialog, IDC_SET_COPY), BM_GETCHECK, 0, 0) == BST_CHECKED);
    expectEq(when + ": quick-shot hotkey", want.quick, hotkeyIn(dialog, IDC_SET_HOTKEY_QUICK));
    expectEq(when + ": recording hotkey", want.record, hotkeyIn(dialog, IDC_SET_HOTKEY_RECORD));
    expectEq(when + ": interval", want.seconds, text(dialog, IDC_SET_SERIES_SECONDS));
    expectEq(when + ": count", want.count, text(dialog, IDC_SET_SERIES_COUNT));
}

// ---------------------------------------------------------------- the round trip

// At a first start the dialog shows the defaults and the next name. Typed values are shown live in the next
// name, stored by OK and in force at once: Ctrl+Alt+Q, pressed while a window of the driver has the focus,
// writes x_08.jpg (the folder already holds x_07.jpg) and puts the picture on the clipboard, while
// Ctrl+Shift+F9 is free again. Cancel changes nothing; the next start shows what was stored.
void caseRoundTrip() {
    SettingsKey key;
    TempDir dir;
    writeFile(joinPath(dir.path(), L"x_07.jpg"), "an earlier shot");
    App app(vantrel(), Remembered::Kept);
    app.moveFrame(300, 250, 400, 300);
    PatternWindow pattern(patternArea(app));

    HWND dialog = openSettings(app);
    expectShown(dialog, {defaultFolder(), L"Vantrel_{date}_{n}.png", L"5", L"0", false, 0x0378, 0x0379},
                "at a first start");
    expectEq("the next name", L"次のファイル名: Vantrel_" + today() + L"_001.png",
             text(dialog, IDC_SET_PREVIEW));
    expectEq("the quick-shot hotkey's note", L"", text(dialog, IDC_SET_HOTKEY_QUICK_NOTE));

    // The folder is chosen in the system's folder picker: cancelled, it changes nothing; the folder typed
    // into its name field and confirmed, it fills the field.
    HWND picker = openFolderPicker(app, dialog);
    closeWith(picker, IDCANCEL, "the folder picker's Cancel");
    expectEq("the folder after the picker was cancelled", defaultFolder(), text(dialog, IDC_SET_FOLDER));
    picker = openFolderPicker(app, dialog);
    SetWindowTextW(item(picker, kPickerNameEdit), dir.path().c_str());
    PostMessageW(item(picker, IDOK), BM_CLICK, 0, 0);
    waitText(dialog, IDC_SET_FOLDER, dir.path(), "the folder chosen in the picker");
    check(waitFor([&] { return !IsWindow(picker); }), "the folder picker did not close");
    typeInto(dialog, IDC_SET_PATTERN, "x_{n:2}.jpg");
    waitText(dialog, IDC_SET_PREVIEW, L"次のファイル名: x_08.jpg", "the next name, as typed");
    PostMessageW(item(dialog, IDC_SET_COPY), BM_CLICK, 0, 0);
    pressInto(dialog, IDC_SET_HOTKEY_QUICK, "ctrl+alt+q");
    pressInto(dialog, IDC_SET_HOTKEY_RECORD, "BackSpace");
    typeInto(dialog, IDC_SET_SERIES_SECONDS, "12");
    typeInto(dialog, IDC_SET_SERIES_COUNT, "7");
    const Shown typed{dir.path(), L"x_{n:2}.jpg", L"12", L"7", true, kCtrlAltQ, 0};
    expectShown(dialog, typed, "typed");
    closeWith(dialog, IDOK, "OK");
    expectNoMessage(app, "after OK");

    expectEq("QuickFolder", dir.path(), SettingsKey::readText(L"QuickFolder").value_or(L"(none)"));
    expectEq("QuickName", L"x_{n:2}.jpg", SettingsKey::readText(L"QuickName").value_or(L"(none)"));
    expectEq("QuickCopy", 1, SettingsKey::readDword(L"QuickCopy").value_or(99));
    expectEq("HotkeyQuick", kCtrlAltQ, SettingsKey::readDword(L"HotkeyQuick").value_or(99));
    expectEq("HotkeyRecord", 0, SettingsKey::readDword(L"HotkeyRecord").value_or(99));
    expectEq("SeriesSeconds", 12, SettingsKey::readDword(L"SeriesSeconds").value_or(99));
    expectEq("SeriesCount", 7, SettingsKey::readDword(L"SeriesCount").value_or(99));

    putClipboardText(L"before the quick shot");
    FocusWindow focus(kFocusWindowRect);
    xKeys("ctrl+alt+q");
    const std::wstring shot = waitForFile(dir.path(), L"x_08.jpg", "the new hotkey");
    const RECT client = clientRectOnScreen(app.frame);
    expectImage(shot, "JPEG", client.right - client.left, client.bottom - client.top, "the quick shot");
    check(waitFor([&] { return IsClipboardFormatAvailable(CF_BITMAP) != FALSE; }, 3000),
          "the quick shot put no bitmap on the clipboard");
    check(focus.focused(), "the quick shot took the focus");
    check(focus.holdHotkey(MOD_CONTROL | MOD_SHIFT, VK_F9),
          "Ctrl+Shift+F9 is still held after it was changed");

    dialog = openSettings(app);
    expectShown(dialog, typed, "opened again");
    typeInto(dialog, IDC_SET_SERIES_COUNT, "99");
    closeWith(dialog, IDCANCEL, "Cancel");
    expectEq("SeriesCount after Cancel", 7, SettingsKey::readDword(L"SeriesCount").value_or(99));
    check(bringToFront(focus.hwnd()) && waitFor([&] { return focus.focused(); }),
          "the driver's window did not take the focus back");
    xKeys("ctrl+alt+q");
    waitForFile(dir.path(), L"x_09.jpg", "the hotkey after Cancel");

    app.process.closeProperly();
    App again(vantrel(), Remembered::Kept);
    dialog = openSettings(again);
    expectShown(dialog, typed, "after a restart");
    closeWith(dialog, IDCANCEL, "Cancel after the restart");
}

// ---------------------------------------------------------------- refusals and conflicts

// A pattern Windows could not take is said at once under the pattern and by a message at OK, which keeps
// the dialog open with the pattern selected and stores nothing. Beside a hotkey field: a stored key that
// another program holds (named at start too), and one key in both fields; BackSpace clears a field and its
// note.
void caseRefusalsAndConflicts() {
    SettingsKey key;
    SettingsKey::writeDword(L"HotkeyRecord", 0x037A); // Ctrl+Shift+F11
    FocusWindow other(kFocusWindowRect);
    check(other.holdHotkey(MOD_CONTROL | MOD_SHIFT, VK_F11), "the driver could not hold Ctrl+Shift+F11");
    App app(vantrel(), Remembered::Kept);
    expectMessage(
        app,
        L"次のホットキーは他のプログラムが使っているため使えません:\r\n  録画: Ctrl+Shift+F11\r\n\r\n"
        L"ウィンドウ メニューの [設定] で別のキーを選べます.",
        "at start with the stored recording hotkey held");
    HWND dialog = openSettings(app);
    expectEq("the recording hotkey", 0x037A, hotkeyIn(dialog, IDC_SET_HOTKEY_RECORD));
    waitText(dialog, IDC_SET_HOTKEY_RECORD_NOTE, L"他のプログラムが使用中", "a key another program holds");
    expectEq("the quick-shot hotkey's note", L"", text(dialog, IDC_SET_HOTKEY_QUICK_NOTE));

    typeInto(dialog, IDC_SET_PATTERN, "a|b_{n}.png");
    const std::wstring forbidden = L"ファイル名のパターンに次の文字は使えません: < > : \" | ? *";
    waitText(dialog, IDC_SET_PREVIEW, forbidden, "the next name for a refused pattern");
    PostMessageW(item(dialog, IDOK), BM_CLICK, 0, 0);
    HWND box = nullptr;
    check(waitFor([&] {
              for (HWND w : topLevelWindows(app.process.pid()))
                  if (GetWindow(w, GW_OWNER) == dialog && GetDlgItem(w, 0xFFFF))
                      box = w;
              return box != nullptr;
          }),
          "OK with a refused pattern showed no message");
    expectEq("the refusal", forbidden, windowText(GetDlgItem(box, 0xFFFF)));
    expectEq("the refusal's caption", app.messageCaption(), windowText(box));
    answerMessage(box, IDOK, "the refusal");
    check(IsWindow(dialog) && IsWindowVisible(dialog), "the dialog closed after the refusal");
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    DWORD_PTR selection = 0;
    check(waitFor([&] {
              GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
              sendMessageTimeout(item(dialog, IDC_SET_PATTERN), EM_GETSEL, 0, 0, 5000, &selection);
              return info.hwndFocus == item(dialog, IDC_SET_PATTERN) &&
                     HIWORD(selection) == text(dialog, IDC_SET_PATTERN).size() && LOWORD(selection) == 0;
          }),
          "the pattern is not focused and selected after the refusal");
    check(!SettingsKey::readText(L"QuickName"), "a refused pattern was stored");

    pressInto(dialog, IDC_SET_HOTKEY_RECORD, "ctrl+shift+F9");
    waitText(dialog, IDC_SET_HOTKEY_RECORD_NOTE, L"両方に同じキーです", "one key for both, recording");
    waitText(dialog, IDC_SET_HOTKEY_QUICK_NOTE, L"両方に同じキーです", "one key for both, quick shot");
    pressInto(dialog, IDC_SET_HOTKEY_RECORD, "BackSpace");
    expectEq("the recording hotkey after BackSpace", 0, hotkeyIn(dialog, IDC_SET_HOTKEY_RECORD));
    waitText(dialog, IDC_SET_HOTKEY_RECORD_NOTE, L"", "the cleared field's note");
    waitText(dialog, IDC_SET_HOTKEY_QUICK_NOTE, L"", "the quick shot's note once the other is cleared");
    closeWith(dialog, IDCANCEL, "Cancel");
    expectEq("HotkeyRecord after Cancel", 0x037A, SettingsKey::readDword(L"HotkeyRecord").value_or(0));
    expectNoMessage(app, "after Cancel");
}

const RegisterCase kSettingsCases[] = {
    {"settings_dialog_round_trip", caseRoundTrip, 120},
    {"settings_dialog_refusals_and_conflicts", caseRefusalsAndConflicts},
};

} // namespace
