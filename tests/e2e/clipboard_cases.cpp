// End-to-end cases of the formats Copy and command 1001 put on the clipboard, as other programs get them
// through X11's clipboard: image/png (the registered "PNG" format) and image/bmp (CF_DIB) decode with
// ImageMagick to exactly the captured pixels, while vantrel runs and after it has ended.
#include "tests/e2e/app.h"
#include "tests/e2e/case_registry.h"
#include "tests/e2e/files.h"
#include "tests/e2e/image_files.h"
#include "tests/e2e/report.h"
#include "tests/e2e/screen.h"
#include "tests/e2e/unix_tools.h"
#include "tests/e2e/wait.h"
#include "tests/e2e/window_lookup.h"
#include "tests/support/paths.h"
#include "tests/support/text.h"

#include "res/resource.h"

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
        const ImageFile image = readImage(file);
        sayKey(what.c_str(), image.format + " " + std::to_string(image.pixels.width) + "x" +
                                 std::to_string(image.pixels.height));
        check(image.format == t.format || (std::string(t.format) == "BMP" && image.format == "BMP3"),
              what + ": ImageMagick reads it as " + image.format);
        expectEq(what + ": width", width, image.pixels.width);
        expectEq(what + ": height", height, image.pixels.height);
        long differing = 0;
        std::string first;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (image.pixels.at(x, y) != expected(x, y) && differing++ == 0)
                    first = "(" + std::to_string(x) + "," + std::to_string(y) + ") expected " +
                            colourText(expected(x, y)) + " got " + colourText(image.pixels.at(x, y));
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

const RegisterCase kClipboardCases[] = {
    {"clipboard_formats_copy", caseClipboardFormatsCopy},
    {"clipboard_formats_capture_to_clipboard", caseClipboardFormatsCaptureToClipboard},
};

} // namespace
