// What the driver does as a user besides clicking vantrel's controls: keys, the foreground, the clipboard.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// Presses the keys in order, holds them briefly as a hand does, and releases them in reverse order.
void pressChord(const std::vector<WORD>& keys);
// Brings a window to the foreground and waits until it is.
bool bringToFront(HWND hwnd, DWORD ms = 5000);

// Puts a text on the clipboard (so a command that must not touch the clipboard can be caught) and reads it.
void putClipboardText(const wchar_t* text);
std::wstring clipboardText();

} // namespace e2e
