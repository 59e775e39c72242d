#pragma once
// Hands a bitmap to the clipboard, waiting a moment for another program that holds it open.

#include "platform/unique_handle.h"

#include <windows.h>

namespace platform {

enum class ClipboardResult {
    Done,    // the clipboard holds the bitmap and owns it
    Busy,    // another program kept the clipboard open; nothing changed
    Refused, // the clipboard did not take the bitmap; it was deleted
};

// On success the clipboard owns the bitmap; otherwise it is deleted here.
ClipboardResult PutBitmapOnClipboard(HWND owner, UniqueBitmap bitmap);

} // namespace platform
