#pragma once
// Puts a picture on the clipboard in the formats other programs paste: the bitmap itself at once, and a
// device-independent bitmap and a PNG file made only when some program asks for them (or when the owner
// window goes), so that putting it there stays quick. Waits a moment for another program that holds the
// clipboard open.

#include "platform/unique_handle.h"

#include <windows.h>

namespace platform {

enum class ClipboardResult {
    Done,    // the clipboard holds the picture and owns the bitmap
    Busy,    // another program kept the clipboard open; nothing changed
    Refused, // the clipboard did not take the bitmap; it was deleted
};

// The picture this program last put on the clipboard, shared with whatever else holds it for as long as
// some format made from it is still promised (Clear may drop the panel's hold meanwhile). The owner window
// passes on WM_RENDERFORMAT, WM_RENDERALLFORMATS and WM_DESTROYCLIPBOARD, and must be destroyed while this
// object lives: its destruction makes every format still promised, so the picture can be pasted after the
// program has ended.
class ClipboardPicture {
public:
    ClipboardPicture() = default;
    ClipboardPicture(const ClipboardPicture&) = delete;
    ClipboardPicture& operator=(const ClipboardPicture&) = delete;

    // Empties the clipboard and puts the bitmap there (CF_BITMAP), promising CF_DIB and "PNG" made from
    // picture, which must have the same pixels and which nobody changes. On success the clipboard owns the
    // bitmap; otherwise it is deleted here.
    ClipboardResult Put(HWND owner, UniqueBitmap bitmap, SharedBitmap picture);

    // WM_RENDERFORMAT: a program asks for a promised format; the clipboard is already open for it.
    void OnRenderFormat(UINT format);
    // WM_RENDERALLFORMATS: the owner window is going; every format still promised is made now.
    void OnRenderAllFormats(HWND owner);
    // WM_DESTROYCLIPBOARD: the clipboard was emptied; nothing is promised any more.
    void OnDestroyClipboard();

private:
    void Render(UINT format);

    SharedBitmap m_picture;
    bool m_bDibPromised = false;
    bool m_bPngPromised = false;
};

} // namespace platform
