// End-to-end case of a clipboard that will not take the picture: Copy and command 1001 say so and lose
// nothing. (A clipboard another program keeps open is panel_clipboard_busy.)
#include "tests/e2e/app.h"
#include "tests/e2e/case_registry.h"
#include "tests/e2e/driver_window.h"
#include "tests/e2e/messages.h"
#include "tests/e2e/input.h"
#include "tests/e2e/report.h"
#include "tests/e2e/wait.h"

#include "res/resource.h"

#include <atomic>

using namespace e2e;

namespace {

// A window of the driver that owns the clipboard and spoils the next hand-over: EmptyClipboard in the program
// that takes the clipboard over first sends the owner WM_DESTROYCLIPBOARD, and while it is handled this
// window opens the clipboard under the taker's own window and closes it again. Wine's server allows that (the
// window matches), so the taker's clipboard is closed under it and its SetClipboardData fails.
class ClipboardSpoiler {
public:
    ClipboardSpoiler() : window_([this] { return take(); }, "the driver's clipboard owner did not start") {}
    ClipboardSpoiler(const ClipboardSpoiler&) = delete;
    ClipboardSpoiler& operator=(const ClipboardSpoiler&) = delete;
    int spoiled() const { return spoiled_; }

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<ClipboardSpoiler*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg == WM_DESTROYCLIPBOARD) {
            if (HWND taker = GetOpenClipboardWindow(); taker && OpenClipboard(taker) && CloseClipboard())
                ++self->spoiled_;
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    // A message-only window that puts text on the clipboard, so that it is the owner the next program
    // takes the clipboard from.
    HWND take() {
        HWND wnd = makeDriverWindow(L"VantrelE2EClipboardSpoiler", proc, 0, 0, {}, HWND_MESSAGE,
                                    reinterpret_cast<LONG_PTR>(this));
        if (wnd && OpenClipboard(wnd)) {
            EmptyClipboard();
            const wchar_t text[] = L"the driver's";
            HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
            memcpy(GlobalLock(mem), text, sizeof text);
            GlobalUnlock(mem);
            SetClipboardData(CF_UNICODETEXT, mem);
            CloseClipboard();
        }
        return wnd;
    }

    std::atomic<int> spoiled_{0};
    WindowThread window_;
};

void caseClipboardRefused() {
    App app;
    app.run(IDC_CAPTURE);
    waitCaptured(app);
    {
        ClipboardSpoiler spoiler;
        app.post(IDC_COPY);
        expectMessage(app, kClipboardRefused, "Copy when the clipboard does not take the picture");
        PostMessageW(app.panel, WM_COMMAND, MAKEWPARAM(IDC_CAPTURE_TO_CLIPBOARD, BN_CLICKED), 0);
        expectMessage(app, kClipboardRefused, "1001 when the clipboard does not take the picture");
        expectEq("hand-overs spoiled", 2, spoiler.spoiled());
        expectEq("clipboard after the refused copies", std::wstring(L"the driver's"), clipboardText());
        waitCaptured(app);
        expectExitQuestionNo(app, "after a refused Copy");
    }
    app.run(IDC_COPY);
    expectNoMessage(app, "Copy once the clipboard takes pictures again");
    check(clipboardText().empty(), "the clipboard still holds the driver's text after Copy");
}

const RegisterCase kClipboardRefusalCases[] = {{"clipboard_refused", caseClipboardRefused}};

} // namespace
