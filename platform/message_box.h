#pragma once
// The program's messages to the user: OK-only boxes with the exclamation icon, captioned with the
// executable's file name without its extension.

#include <windows.h>

namespace platform {

int ShowMessage(HWND owner, const wchar_t* text);

} // namespace platform
