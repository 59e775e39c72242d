// The program's save dialog driven as a user would: found when Save opens it (the new-style one, or the
// classic one on an older system), a type selected, a name typed, a button pressed.
#pragma once

#include "tests/e2e/app.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

enum class Style { New, Classic };
const char* styleName(Style style);

struct SaveDialog {
    HWND hwnd = nullptr;
    Style style = Style::New;
};

// Any window of vantrel besides the frame and the panel.
std::vector<HWND> otherWindows(const App& app);
// Presses Save and waits for the save dialog, which must be of the given style.
SaveDialog openSaveDialog(const App& app, Style expected);
HWND fileNameEdit(const SaveDialog& dialog);
HWND fileTypeCombo(const SaveDialog& dialog);
std::vector<std::wstring> fileTypes(const SaveDialog& dialog);
// Selects a file type as a user does in the list.
void selectType(const SaveDialog& dialog, int index);
void typeName(const SaveDialog& dialog, const std::wstring& name);
void press(const SaveDialog& dialog, int id);
// Waits until the dialog has gone and the panel has finished what followed it (the save, or up to the
// message box it shows).
void waitDialogDone(const App& app, const SaveDialog& dialog, const std::string& when);
// The question whether to replace an existing file: a #32770 of vantrel with Yes and No, over the dialog.
HWND waitOverwriteQuestion(const App& app, const SaveDialog& dialog, const std::string& when);
// Saves through the dialog: selects the type (new-style dialog, when given), types the name and presses Save.
void saveAs(const App& app, Style style, const std::wstring& name, std::optional<int> type = std::nullopt);

} // namespace e2e
