#include "tests/e2e/save_dialog.h"

#include "tests/e2e/report.h"
#include "tests/e2e/wait.h"
#include "tests/e2e/window_lookup.h"
#include "tests/support/text.h"

#include "res/resource.h"

#include <commctrl.h>

namespace e2e {

using support::narrow;

namespace {

// Controls of the save dialogs.
constexpr int kFileNameEdit = 0x480;  // new-style dialog
constexpr int kFileNameCombo = 0x47C; // classic dialog: a ComboBoxEx whose edit takes the name
constexpr int kFileTypeCombo = 0x470; // both

} // namespace

const char* styleName(Style style) {
    return style == Style::New ? "new-style" : "classic";
}

// Any window of vantrel besides the frame and the panel.
std::vector<HWND> otherWindows(const App& app) {
    std::vector<HWND> out;
    for (HWND w : topLevelWindows(app.process.pid()))
        if (w != app.frame && w != app.panel)
            out.push_back(w);
    return out;
}

// Presses Save and waits for the save dialog, which must be of the given style.
SaveDialog openSaveDialog(const App& app, Style expected) {
    app.post(IDC_SAVE);
    SaveDialog dialog;
    waitFor([&] {
        for (HWND w : otherWindows(app)) {
            HWND edit = GetDlgItem(w, kFileNameEdit), combo = GetDlgItem(w, kFileNameCombo);
            if (edit && className(edit) == L"Edit") {
                dialog = {w, Style::New};
                return true;
            }
            if (combo && className(combo) == L"ComboBoxEx32") {
                dialog = {w, Style::Classic};
                return true;
            }
        }
        return false;
    });
    check(dialog.hwnd != nullptr,
          "Save opened no save dialog; windows of vantrel:" + describeWindows(app.process.pid()));
    sayKey("save_dialog",
           hex(dialog.hwnd) + " " + styleName(dialog.style) + " " + narrow(windowText(dialog.hwnd)));
    check(dialog.style == expected, std::string("Save opened the ") + styleName(dialog.style) +
                                        " dialog, expected the " + styleName(expected) + " one");
    return dialog;
}

HWND fileNameEdit(const SaveDialog& dialog) {
    HWND edit = dialog.style == Style::New
                    ? GetDlgItem(dialog.hwnd, kFileNameEdit)
                    : reinterpret_cast<HWND>(
                          SendMessageW(GetDlgItem(dialog.hwnd, kFileNameCombo), CBEM_GETEDITCONTROL, 0, 0));
    check(edit != nullptr, "the save dialog has no file name edit");
    return edit;
}

HWND fileTypeCombo(const SaveDialog& dialog) {
    HWND combo = GetDlgItem(dialog.hwnd, kFileTypeCombo);
    check(combo != nullptr, "the save dialog has no file type list");
    return combo;
}

std::vector<std::wstring> fileTypes(const SaveDialog& dialog) {
    HWND combo = fileTypeCombo(dialog);
    std::vector<std::wstring> out;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[256] = L"";
        if (SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) < 255)
            SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        out.push_back(text);
    }
    return out;
}

// Selects a file type as a user does in the list.
void selectType(const SaveDialog& dialog, int index) {
    HWND combo = fileTypeCombo(dialog);
    SendMessageW(combo, CB_SETCURSEL, index, 0);
    SendMessageW(dialog.hwnd, WM_COMMAND, MAKEWPARAM(kFileTypeCombo, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    expectEq("selected file type", index, SendMessageW(combo, CB_GETCURSEL, 0, 0));
}

void typeName(const SaveDialog& dialog, const std::wstring& name) {
    HWND edit = fileNameEdit(dialog);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    expectEq("file name typed", name, windowText(edit));
}

void press(const SaveDialog& dialog, int id) {
    HWND button = GetDlgItem(dialog.hwnd, id);
    check(button != nullptr, "the save dialog has no button " + std::to_string(id));
    PostMessageW(button, BM_CLICK, 0, 0);
}

// Waits until the dialog has gone and the panel has finished what followed it (the save, or up to the
// message box it shows).
void waitDialogDone(const App& app, const SaveDialog& dialog, const std::string& when) {
    check(waitFor([&] { return !IsWindow(dialog.hwnd); }),
          when + ": the save dialog did not close; windows of vantrel:" + describeWindows(app.process.pid()));
    check(sendMessageTimeout(app.panel, WM_NULL, 0, 0, 15000),
          when + ": the panel did not answer after the save");
}

// The question whether to replace an existing file: a #32770 of vantrel with Yes and No, over the dialog.
HWND waitOverwriteQuestion(const App& app, const SaveDialog& dialog, const std::string& when) {
    HWND question = nullptr;
    waitFor([&] {
        for (HWND w : otherWindows(app))
            if (w != dialog.hwnd && GetDlgItem(w, IDYES) && GetDlgItem(w, IDNO))
                question = w;
        return question != nullptr;
    });
    check(question != nullptr, when + ": no question about replacing the file; windows of vantrel:" +
                                   describeWindows(app.process.pid()));
    sayKey("overwrite_question", narrow(windowText(question)));
    return question;
}

// Saves through the dialog: selects the type (new-style dialog, when given), types the name and presses Save.
void saveAs(const App& app, Style style, const std::wstring& name, std::optional<int> type) {
    SaveDialog dialog = openSaveDialog(app, style);
    if (type)
        selectType(dialog, *type);
    typeName(dialog, name);
    press(dialog, IDOK);
    waitDialogDone(app, dialog, "saving " + narrow(name));
}

} // namespace e2e
