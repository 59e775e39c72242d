#pragma once
// The program's messages to the user, captioned with the executable's file name without its extension and
// owned by the given window (the main window when none is given): OK-only boxes with the exclamation
// icon, and questions.

#include <windows.h>

namespace platform {

int ShowMessage(HWND owner, const wchar_t* text);

// A Yes/No question with No as the default button and the exclamation icon (it warns of something that
// would be lost); true only for Yes.
bool AskYesNo(HWND owner, const wchar_t* text);

} // namespace platform
