#include "platform/clipboard.h"

namespace platform {

namespace {
// OpenClipboard fails while another program has it open: try for about half a second.
constexpr int kOpenAttempts = 20;
constexpr DWORD kOpenPauseMs = 25;

bool OpenClipboardPatiently(HWND owner) {
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        if (::OpenClipboard(owner))
            return true;
        ::Sleep(kOpenPauseMs);
    }
    return false;
}
} // namespace

ClipboardResult PutBitmapOnClipboard(HWND owner, UniqueBitmap bitmap) {
    if (!bitmap)
        return ClipboardResult::Refused;
    if (!OpenClipboardPatiently(owner))
        return ClipboardResult::Busy;
    ::EmptyClipboard();
    ClipboardResult result = ClipboardResult::Refused;
    if (::SetClipboardData(CF_BITMAP, bitmap.get())) {
        (void)bitmap.release(); // the clipboard owns it now
        result = ClipboardResult::Done;
    }
    ::CloseClipboard();
    return result;
}

} // namespace platform
