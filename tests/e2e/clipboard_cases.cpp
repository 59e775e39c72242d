// End-to-end cases of the formats Copy and command 1001 put on the clipboard, as other programs get them
// through X11's clipboard: image/png (the registered "PNG" format) and image/bmp (CF_DIB) decode with
// ImageMagick to exactly the captured pixels, while vantrel runs and after it has ended, also when an
// installer's Restart Manager ends it.
#include "tests/e2e/app.h"
#include "tests/e2e/case_registry.h"
#include "tests/e2e/driver_window.h"
#include "tests/e2e/failing_allocation.h"
#include "tests/e2e/files.h"
#include "tests/e2e/image_files.h"
#include "tests/e2e/report.h"
#include "tests/e2e/screen.h"
#include "tests/e2e/unix_tools.h"
#include "tests/e2e/wait.h"
#include "tests/e2e/window_lookup.h"
#include "tests/support/paths.h"
#include "tests/support/text.h"

#include "platform/clipboard.h"
#include "res/resource.h"

#include <cstring>
#include <functional>
#include <optional>

using namespace e2e;
using namespace support;

namespace {

bool hasLine(const std::string& text, const std::string& line) {
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        if (text.compare(pos, end - pos, line) == 0)
            return true;
        pos = end + 1;
    }
    return false;
}

// X11's clipboard offers image/png and image/bmp, and each, read with xclip and decoded by ImageMagick, is a
// picture of the given size whose pixels are exactly expected(x, y).
void expectXClipboardPicture(const TempDir& dir, int width, int height,
                             const std::function<uint32_t(int, int)>& expected, const std::string& when) {
    std::string targets;
    const bool offered = waitFor(
        [&] {
            targets = runUnix("/usr/bin/xclip -selection clipboard -t TARGETS -o").out;
            return hasLine(targets, "image/png") && hasLine(targets, "image/bmp");
        },
        5000, 100);
    sayKey(("targets " + when).c_str(), quotedBytes(targets));
    check(offered, when + ": X11's clipboard does not offer image/png and image/bmp; its targets: " +
                       quotedBytes(targets));
    struct Target {
        const char* mime;
        const char* format; // as ImageMagick names it
        const wchar_t* file;
    };
    for (const Target& t :
         {Target{"image/png", "PNG", L"clipboard.png"}, Target{"image/bmp", "BMP", L"clipboard.bmp"}}) {
        const std::string what = when + ", " + t.mime;
        const std::wstring file = joinPath(dir.path(), t.file);
        DeleteFileW(file.c_str());
        const UnixResult read = runUnix("/usr/bin/xclip -selection clipboard -t " + std::string(t.mime) +
                                        " -o >" + shellQuoted(unixPath(file)));
        check(read.exitCode == 0, what + ": xclip could not read it (exit " + std::to_string(read.exitCode) +
                                      ", stderr " + quotedBytes(read.err) + ")");
        const ImageFile image = expectImage(file, t.format, width, height, what);
        sayKey(what.c_str(), image.format + " " + std::to_string(image.pixels.width) + "x" +
                                 std::to_string(image.pixels.height));
        std::string first;
        const long differing = countDifferences(image.pixels, expected, first);
        if (differing)
            fail(what + ": " + std::to_string(differing) + " pixels differ from the picture, first at " +
                 first);
    }
}

// Puts what lies under the frame on the clipboard: with Copy after a Capture, or with command 1001.
void copyScreen(const App& app, int command) {
    if (command == IDC_COPY) {
        app.run(IDC_CAPTURE);
        waitCaptured(app);
    }
    app.run(command);
    expectNoMessage(app, "after command " + std::to_string(command));
}

// The formats are made from the picture the command took. Asked for while vantrel runs (after Copy, once
// Clear has dropped the held picture too); and, for a second picture that no program asked for before
// vantrel ended, after the end: vantrel makes every format it still promised as its window goes.
void expectFormatsDuringAndAfterTheRun(int command) {
    TempDir dir;
    std::optional<App> app(std::in_place);
    PatternWindow pattern(patternArea(*app), 1);
    const RECT client = clientRectOnScreen(app->frame);
    sayKey("client", rectText(client));
    auto shown = [&](int variant) {
        return [&pattern, &client, variant](int x, int y) {
            return pattern.colourAt(client.left + x, client.top + y, variant);
        };
    };
    const int width = client.right - client.left, height = client.bottom - client.top;

    copyScreen(*app, command);
    pattern.setVariant(2);
    if (command == IDC_COPY)
        app->run(IDC_CLEAR);
    expectXClipboardPicture(dir, width, height, shown(1), "while vantrel runs");

    copyScreen(*app, command);
    pattern.setVariant(0);
    closeOrFail(app->process, "ending vantrel: ");
    app.reset();
    expectXClipboardPicture(dir, width, height, shown(2), "after vantrel ended");
}

void caseClipboardFormatsCopy() {
    expectFormatsDuringAndAfterTheRun(IDC_COPY);
}

void caseClipboardFormatsCaptureToClipboard() {
    expectFormatsDuringAndAfterTheRun(IDC_CAPTURE_TO_CLIPBOARD);
}

// ---------------------------------------------------------------- memory running out

// The program's clipboard code, run in this process for a window of the driver: the window passes the
// clipboard's messages on, as the panel does.
class ClipboardOwner {
public:
    ClipboardOwner() {
        wnd_ = makeDriverWindow(L"vantrel e2e clipboard owner", proc, 0, WS_POPUP, {0, 0, 10, 10}, nullptr,
                                reinterpret_cast<LONG_PTR>(this));
        check(wnd_ != nullptr, "the driver's clipboard owner could not be made");
    }
    ~ClipboardOwner() {
        if (OpenClipboard(wnd_)) {
            EmptyClipboard(); // nothing promised is left to make as the window goes
            CloseClipboard();
        }
        DestroyWindow(wnd_);
    }
    ClipboardOwner(const ClipboardOwner&) = delete;
    ClipboardOwner& operator=(const ClipboardOwner&) = delete;

    HWND wnd() const { return wnd_; }
    platform::ClipboardPicture picture;

private:
    static LRESULT CALLBACK proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<ClipboardOwner*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
        if (self) {
            switch (msg) {
            case WM_RENDERFORMAT: self->picture.OnRenderFormat(static_cast<UINT>(wp)); return 0;
            case WM_RENDERALLFORMATS: self->picture.OnRenderAllFormats(wnd); return 0;
            case WM_DESTROYCLIPBOARD: self->picture.OnDestroyClipboard(); return 0;
            }
        }
        return DefWindowProcW(wnd, msg, wp, lp);
    }

    HWND wnd_ = nullptr;
};

// The first bytes of what the clipboard gives for a format, asked as another program asks (the owner makes
// a promised format then); nullopt when it gives nothing. `escaped` tells whether an exception came out.
std::optional<std::string> askClipboard(HWND wnd, UINT format, bool& escaped) {
    check(OpenClipboard(wnd), "the clipboard could not be opened");
    std::optional<std::string> head;
    escaped = false;
    try {
        if (HANDLE data = GetClipboardData(format)) {
            const auto* bytes = static_cast<const char*>(GlobalLock(data));
            if (bytes)
                head = std::string(bytes, std::min<SIZE_T>(GlobalSize(data), 16));
            GlobalUnlock(data);
        }
    } catch (const std::bad_alloc&) {
        escaped = true;
    }
    CloseClipboard();
    return head;
}

// Memory running out while a promised format is made (each allocation of at least 4 KB, in turn) gives the
// asking program nothing of that format and lets no exception out of the owner's window procedure; with
// nothing refused the same request gets a PNG file, or a DIB of the picture's size.
void caseClipboardMemoryRunsOut() {
    ClipboardOwner owner;
    PatternPicture picture(320, 200);
    const UINT png = RegisterClipboardFormatW(L"PNG");
    for (const UINT format : {png, static_cast<UINT>(CF_DIB)}) {
        const std::string name = format == png ? "PNG" : "DIB";
        long refusals = 0;
        for (long nth = 1;; ++nth) {
            check(nth < 1000, name + ": making it still allocates after 1000 refusals");
            const auto put = owner.picture.Put(owner.wnd(), picture.duplicate(),
                                               platform::SharedBitmap(picture.duplicate()));
            check(put == platform::ClipboardResult::Done, name + ": the picture did not go to the clipboard");
            bool escaped = false;
            std::optional<std::string> head;
            bool refused = false;
            {
                const FailingAllocation failing(nth, 4096);
                head = askClipboard(owner.wnd(), format, escaped);
                refused = failing.refused();
            }
            const std::string when = name + ", allocation " + std::to_string(nth) + " refused";
            check(!escaped, when + ": std::bad_alloc came out of the clipboard's owner");
            if (!refused) {
                check(head.has_value(), name + " with nothing refused: the clipboard gave nothing");
                if (format == png) {
                    check(head->compare(0, 8, "\x89PNG\r\n\x1a\n") == 0, "the PNG format holds no PNG file");
                } else {
                    BITMAPINFOHEADER header{};
                    check(head->size() >= 12, "the DIB is too short");
                    std::memcpy(&header, head->data(), std::min(head->size(), sizeof header));
                    expectEq("the DIB's width", 320, header.biWidth);
                    expectEq("the DIB's height", 200, header.biHeight);
                }
                break;
            }
            ++refusals;
            check(!head.has_value(), when + ": the clipboard gave something");
        }
        sayKey((name + "_allocations_refused").c_str(), refusals);
    }
}

// ---------------------------------------------------------------- closed by an installer

// A value of the remembered frame; -1 where it is missing.
long rememberedValue(const wchar_t* name) {
    DWORD data = 0, size = sizeof data;
    return RegGetValueW(HKEY_CURRENT_USER, L"Software\\Vantrel", name, RRF_RT_REG_DWORD, nullptr, &data,
                        &size) == ERROR_SUCCESS
               ? static_cast<long>(data)
               : -1;
}

// An installer or an update closes programs through the Restart Manager, which asks every top-level window
// with WM_QUERYENDSESSION and ENDSESSION_CLOSEAPP and then sends WM_ENDSESSION; as at logoff, the process may
// be ended as soon as that returns. vantrel agrees without a question (an unsaved picture is held), writes
// the remembered frame and makes the clipboard's promised formats before it answers, so that they hold even
// where it is ended then (the second row) and not only where it goes by itself (the first).
void caseClosedByRestartManager() {
    constexpr LPARAM kCloseApp = 0x00000001; // ENDSESSION_CLOSEAPP
    for (const bool killedAtOnce : {false, true}) {
        const std::string row = killedAtOnce ? "ended as soon as it answered: " : "going by itself: ";
        TempDir dir;
        std::optional<App> app(std::in_place);
        app->moveFrame(250, 200, 420, 300);
        PatternWindow pattern(patternArea(*app), 1);
        const RECT client = clientRectOnScreen(app->frame);
        const int width = client.right - client.left, height = client.bottom - client.top;
        copyScreen(*app, IDC_COPY);
        app->run(IDC_CLEAR);
        pattern.setVariant(2);
        app->run(IDC_CAPTURE); // a picture neither copied nor saved: ending by hand would ask
        waitCaptured(*app);

        const std::vector<HWND> windows = topLevelWindows(app->process.pid());
        for (HWND w : windows) {
            DWORD_PTR agreed = 0;
            check(SendMessageTimeoutW(w, WM_QUERYENDSESSION, 0, kCloseApp, SMTO_ABORTIFHUNG, 5000, &agreed),
                  row + "WM_QUERYENDSESSION was not answered by " + hex(w));
            check(agreed == TRUE, row + hex(w) + " " + narrow(className(w)) + " held up the end");
        }
        for (HWND w : windows)
            check(sendMessageTimeout(w, WM_ENDSESSION, TRUE, kCloseApp, 5000),
                  row + "WM_ENDSESSION was not answered by " + hex(w));
        if (killedAtOnce) {
            TerminateProcess(app->process.handle(), 1);
            check(app->process.waitExit(5000), row + "vantrel did not end when killed");
        } else {
            check(app->process.waitExit(5000), row + "vantrel still runs 5 s after WM_ENDSESSION; windows:" +
                                                   describeWindows(app->process.pid()));
            expectEq(row + "exit code", 0, app->process.exitCode());
            check(exitQuestion(app->process.pid()) == nullptr, row + "vantrel asked before it ended");
        }
        app.reset();
        expectEq(row + "remembered Left", client.left, rememberedValue(L"Left"));
        expectEq(row + "remembered Top", client.top, rememberedValue(L"Top"));
        expectEq(row + "remembered Width", width, rememberedValue(L"Width"));
        expectEq(row + "remembered Height", height, rememberedValue(L"Height"));
        expectXClipboardPicture(
            dir, width, height,
            [&](int x, int y) { return pattern.colourAt(client.left + x, client.top + y, 1); },
            row + "after the end");
    }
}

const RegisterCase kClipboardCases[] = {
    {"clipboard_formats_copy", caseClipboardFormatsCopy},
    {"clipboard_formats_capture_to_clipboard", caseClipboardFormatsCaptureToClipboard},
    {"clipboard_memory_runs_out", caseClipboardMemoryRunsOut},
    {"exit_closed_by_restart_manager", caseClosedByRestartManager},
};

} // namespace
