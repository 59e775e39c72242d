// End-to-end cases of Save: the system's save dialog driven as a user would (the new-style dialog, and the
// classic one on a copy of the program that Wine tells it runs on an older system), the files checked with
// ImageMagick against the picture captured, and the refusals and failures that write nothing; below the
// dialog, the program's own save code run in the driver on paths longer than MAX_PATH and with its temporary
// file watched.
#include "tests/e2e/app.h"
#include "tests/e2e/case_registry.h"
#include "tests/e2e/messages.h"
#include "tests/e2e/failing_allocation.h"
#include "tests/e2e/files.h"
#include "tests/e2e/image_files.h"
#include "tests/e2e/report.h"
#include "tests/e2e/save_dialog.h"
#include "tests/e2e/screen.h"
#include "tests/e2e/unix_tools.h"
#include "tests/e2e/wait.h"
#include "tests/e2e/window_lookup.h"
#include "platform/unique_handle.h"
#include "tests/support/paths.h"
#include "tests/support/stopwatch.h"
#include "tests/support/text.h"

#include "panel/picture_file.h"

#include "res/resource.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>
#include <thread>

using namespace e2e;
using namespace support;

namespace {

// ---------------------------------------------------------------- the picture

RECT placeFrame(const App& app) {
    app.moveFrame(300, 250, 420, 300);
    return patternArea(app);
}

// vantrel holding a picture of a pattern window (variant 1 unless given). The pattern beneath changes after
// the capture, so whatever is written or shown afterwards comes from the picture, not from the screen.
struct Captured {
    App app;
    int variant;
    PatternWindow pattern;
    RECT client{};

    explicit Captured(const std::wstring& exe = vantrelPath(), int patternVariant = 1)
        : app(exe), variant(patternVariant), pattern(placeFrame(app), patternVariant) {
        client = clientRectOnScreen(app.frame);
        sayKey("client", rectText(client));
        app.run(IDC_CAPTURE);
        waitCaptured(app);
        pattern.setVariant(2);
    }
    // The picture's colour at (x, y) of the picture.
    uint32_t at(int x, int y) const {
        return patternColour(client.left + x - pattern.rect().left, client.top + y - pattern.rect().top,
                             variant);
    }
    int width() const { return client.right - client.left; }
    int height() const { return client.bottom - client.top; }
    // The frame still shows the picture and the windows are usable again.
    void expectStillShown(const std::string& when) const {
        check(IsWindowEnabled(app.frame) && IsWindowEnabled(app.panel),
              when + ": the frame or the panel is still disabled");
        check(!app.layered(), when + ": the frame went back to see-through");
        expectScreen(
            client, [&](int x, int y) { return at(x - client.left, y - client.top); },
            when + ": the picture shown");
    }
};

// ---------------------------------------------------------------- the classic dialog

// A copy of vantrel, named vantrel_classic.exe, to which Wine reports Windows XP (major version 5), so that
// it asks with the classic dialog. The override lives in the prefix's registry only while this object does.
class ClassicCopy {
public:
    ClassicCopy() : path_(joinPath(dir_.path(), kExe)) {
        check(CopyFileW(vantrelPath().c_str(), path_.c_str(), FALSE),
              "could not copy vantrel.exe to " + narrow(path_) + ", error " + std::to_string(GetLastError()));
        HKEY key = nullptr;
        LSTATUS status =
            RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
        check(status == ERROR_SUCCESS,
              "could not create HKCU\\" + narrow(kKey) + ", error " + std::to_string(status));
        const wchar_t version[] = L"winxp64";
        status = RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                                sizeof version);
        RegCloseKey(key);
        if (status != ERROR_SUCCESS) {
            removeKey();
            fail("could not set the Version value, error " + std::to_string(status));
        }
    }
    ~ClassicCopy() { removeKey(); }
    ClassicCopy(const ClassicCopy&) = delete;
    ClassicCopy& operator=(const ClassicCopy&) = delete;
    const std::wstring& path() const { return path_; }

private:
    static constexpr const wchar_t* kExe = L"vantrel_classic.exe";
    static constexpr const wchar_t* kKey = L"Software\\Wine\\AppDefaults\\vantrel_classic.exe";

    static void removeKey() {
        RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
        HKEY left = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &left) == ERROR_SUCCESS) {
            RegCloseKey(left);
            noteCleanupFailure("could not remove HKCU\\" + narrow(kKey));
        }
    }

    TempDir dir_;
    std::wstring path_;
};

// ---------------------------------------------------------------- files

int channelError(uint32_t a, uint32_t b, int shift) {
    return std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
}

// BMP and PNG hold the picture exactly, and so does GIF when the picture has at most 256 colours. JPEG, and
// GIF of a picture with more colours, come close: the mean error per channel stays small (measured here
// about 17 for JPEG and 7 for GIF on the pattern's fine detail, where another picture gives about 90), and
// averages over 8x8 blocks stay closer still (about 3).
enum class Fidelity { Exact, Close };
constexpr double kCloseMeanError = 24;
constexpr double kCloseBlockError = 6;

// The file is an image of the given format with the picture's size and pixels.
void expectPicture(const Captured& c, const std::wstring& path, const std::string& format,
                   Fidelity fidelity) {
    const std::string what = narrow(path);
    check(waitFor([&] { return fileExists(path); }, 5000), what + " was not written");
    ImageFile image = expectImage(path, format, c.width(), c.height(), what);
    const Pixels& px = image.pixels;
    sayKey("image",
           what + ": " + image.format + " " + std::to_string(px.width) + "x" + std::to_string(px.height));
    long differing = 0;
    double error = 0;
    std::string first;
    for (int y = 0; y < px.height; ++y)
        for (int x = 0; x < px.width; ++x) {
            const uint32_t want = c.at(x, y), got = px.at(x, y);
            if (want == got)
                continue;
            if (differing++ == 0)
                first = "(" + std::to_string(x) + "," + std::to_string(y) + ") expected " + colourText(want) +
                        " got " + colourText(got);
            for (int shift : {16, 8, 0})
                error += channelError(want, got, shift);
        }
    if (fidelity == Fidelity::Exact) {
        if (differing)
            fail(what + ": " + std::to_string(differing) + " pixels differ from the picture, first at " +
                 first);
        return;
    }
    double blockError = 0;
    long blocks = 0;
    for (int by = 0; by + 8 <= px.height; by += 8)
        for (int bx = 0; bx + 8 <= px.width; bx += 8, ++blocks)
            for (int shift : {16, 8, 0}) {
                int want = 0, got = 0;
                for (int y = by; y < by + 8; ++y)
                    for (int x = bx; x < bx + 8; ++x) {
                        want += (c.at(x, y) >> shift) & 0xFF;
                        got += (px.at(x, y) >> shift) & 0xFF;
                    }
                blockError += std::abs(want - got) / 64.0;
            }
    const double mean = error / (3.0 * px.width * px.height), blockMean = blockError / (3.0 * blocks);
    sayKey("mean_error", what + ": " + std::to_string(mean) + " per pixel, " + std::to_string(blockMean) +
                             " per 8x8 block");
    check(mean <= kCloseMeanError && blockMean <= kCloseBlockError,
          what + ": too far from the picture: mean error per channel " + std::to_string(mean) + " (at most " +
              std::to_string(kCloseMeanError) + "), over 8x8 blocks " + std::to_string(blockMean) +
              " (at most " + std::to_string(kCloseBlockError) + ")");
}

// ---------------------------------------------------------------- cases

const std::vector<std::wstring> kFileTypes = {L"BMP(*.bmp)", L"GIF(*.gif)", L"JPG(*.jpg)", L"PNG(*.png)"};

// The dialog is modal to the panel (the frame held still too) and starts as the program sets it up.
void expectDialogSetUp(const App& app, const SaveDialog& dialog) {
    check(GetWindow(dialog.hwnd, GW_OWNER) == app.panel, "the save dialog is owned by " +
                                                             hex(GetWindow(dialog.hwnd, GW_OWNER)) +
                                                             ", not by the panel " + hex(app.panel));
    check(!IsWindowEnabled(app.panel) && !IsWindowEnabled(app.frame),
          "the panel or the frame can be used while the save dialog is open");
    expectEq("initial file name", std::wstring(L"無題"), windowText(fileNameEdit(dialog)));
    expectEq("file types", listText(kFileTypes), listText(fileTypes(dialog)));
    expectEq("file type selected at first", 0, SendMessageW(fileTypeCombo(dialog), CB_GETCURSEL, 0, 0));
}

struct Row {
    int type;               // file type selected in the new-style dialog
    const wchar_t* typed;   // name typed after the folder
    const wchar_t* written; // file that must appear
    const char* format;     // as ImageMagick names it
    Fidelity fidelity;
};

// Each type written through the new-style dialog, read back by ImageMagick and compared with the picture;
// a name without extension gets ".bmp", a Japanese name is kept. Six saves in a row give six files and
// change neither the picture nor anything else.
void caseFormats() {
    TempDir dir;
    Captured c;
    {
        SaveDialog dialog = openSaveDialog(c.app, Style::New);
        expectDialogSetUp(c.app, dialog);
        press(dialog, IDCANCEL);
        waitDialogDone(c.app, dialog, "cancel after looking");
    }
    const Row rows[] = {
        {0, L"picture.bmp", L"picture.bmp", "BMP", Fidelity::Exact},
        {1, L"picture.gif", L"picture.gif", "GIF", Fidelity::Close},
        {2, L"picture.jpg", L"picture.jpg", "JPEG", Fidelity::Close},
        {3, L"picture.png", L"picture.png", "PNG", Fidelity::Exact},
        {0, L"no extension", L"no extension.bmp", "BMP", Fidelity::Exact},
        {3, L"画像テスト.png", L"画像テスト.png", "PNG", Fidelity::Exact},
    };
    std::vector<std::wstring> written;
    for (const Row& row : rows) {
        saveAs(c.app, Style::New, joinPath(dir.path(), row.typed), row.type);
        expectNoMessage(c.app, "after saving " + narrow(row.typed));
        written.push_back(row.written);
        expectFiles(dir.path(), written, "after saving " + narrow(row.typed));
        expectPicture(c, joinPath(dir.path(), row.written), row.format, row.fidelity);
    }
    c.expectStillShown("after six saves");
}

// The classic dialog (the system reports a major version below 6) with the names the new-style one would not
// hand over as typed: the extension decides the format whatever its case, an unknown one writes nothing and
// says so, a folder that does not exist writes nothing and says so, and an existing file is replaced once
// the user agrees.
void caseClassicDialog() {
    ClassicCopy copy;
    TempDir dir;
    writeFile(joinPath(dir.path(), L"old.gif"), "not a picture yet");
    Captured c(copy.path());
    expectEq("message box caption of the copy", std::wstring(L"vantrel_classic"), c.app.messageCaption());
    {
        SaveDialog dialog = openSaveDialog(c.app, Style::Classic);
        expectDialogSetUp(c.app, dialog);
        press(dialog, IDCANCEL);
        waitDialogDone(c.app, dialog, "cancel in the classic dialog");
        expectNoMessage(c.app, "after cancel in the classic dialog");
        expectFiles(dir.path(), {L"old.gif"}, "after cancel in the classic dialog");
    }
    const Row rows[] = {
        {0, L"upper.PNG", L"upper.PNG", "PNG", Fidelity::Exact},
        {0, L"no extension", L"no extension.bmp", "BMP", Fidelity::Exact},
        {0, L"photo.Jpeg", L"photo.Jpeg", "JPEG", Fidelity::Close},
    };
    std::vector<std::wstring> written = {L"old.gif"};
    for (const Row& row : rows) {
        saveAs(c.app, Style::Classic, joinPath(dir.path(), row.typed));
        expectNoMessage(c.app, "after saving " + narrow(row.typed));
        written.push_back(row.written);
        expectFiles(dir.path(), written, "after saving " + narrow(row.typed));
        expectPicture(c, joinPath(dir.path(), row.written), row.format, row.fidelity);
    }

    saveAs(c.app, Style::Classic, joinPath(dir.path(), L"note.txt"));
    expectMessage(c.app, kNoEncoder, "saving note.txt");
    expectFiles(dir.path(), written, "after note.txt");

    saveAs(c.app, Style::Classic, joinPath(dir.path(), L"missing\\picture.png"));
    expectMessage(c.app, kSaveFailed, "saving into a folder that does not exist");
    expectFiles(dir.path(), written, "after saving into a folder that does not exist");

    SaveDialog dialog = openSaveDialog(c.app, Style::Classic);
    typeName(dialog, joinPath(dir.path(), L"old.gif"));
    press(dialog, IDOK);
    HWND question = waitOverwriteQuestion(c.app, dialog, "saving over old.gif");
    PostMessageW(GetDlgItem(question, IDYES), BM_CLICK, 0, 0);
    waitDialogDone(c.app, dialog, "saving over old.gif");
    expectNoMessage(c.app, "after saving over old.gif");
    expectFiles(dir.path(), written, "after saving over old.gif");
    expectPicture(c, joinPath(dir.path(), L"old.gif"), "GIF", Fidelity::Close);
    c.expectStillShown("after the classic dialog's saves");
}

// Cancel, and closing the dialog, write nothing and say nothing. Saving over an existing file asks first:
// No goes back to the dialog and leaves the file alone; Yes replaces it. Until a file is written the picture
// is not kept, so ending the program asks; once it is, ending asks nothing.
void caseCancelAndOverwrite() {
    TempDir dir;
    const std::wstring old = joinPath(dir.path(), L"old.png");
    const std::string sentinel = "an older file";
    writeFile(old, sentinel);
    Captured c;
    for (const bool byClose : {false, true}) {
        const std::string when = byClose ? "the dialog closed" : "Cancel";
        SaveDialog dialog = openSaveDialog(c.app, Style::New);
        selectType(dialog, 3);
        typeName(dialog, joinPath(dir.path(), L"never.png"));
        if (byClose)
            PostMessageW(dialog.hwnd, WM_CLOSE, 0, 0);
        else
            press(dialog, IDCANCEL);
        waitDialogDone(c.app, dialog, when);
        expectNoMessage(c.app, "after " + when);
        expectFiles(dir.path(), {L"old.png"}, "after " + when);
    }

    SaveDialog dialog = openSaveDialog(c.app, Style::New);
    selectType(dialog, 3);
    typeName(dialog, old);
    press(dialog, IDOK);
    HWND question = waitOverwriteQuestion(c.app, dialog, "saving over old.png");
    PostMessageW(GetDlgItem(question, IDNO), BM_CLICK, 0, 0);
    check(waitFor([&] { return !IsWindow(question); }), "the question did not close with No");
    Sleep(300);
    check(IsWindow(dialog.hwnd) && IsWindowVisible(dialog.hwnd), "the save dialog did not stay after No");
    expectUnchanged(old, sentinel, "after No");
    press(dialog, IDCANCEL);
    waitDialogDone(c.app, dialog, "cancel after No");
    expectNoMessage(c.app, "after No and Cancel");
    expectUnchanged(old, sentinel, "after No and Cancel");
    expectFiles(dir.path(), {L"old.png"}, "after No and Cancel");
    expectExitQuestionNo(c.app, "after saves that were cancelled");

    dialog = openSaveDialog(c.app, Style::New);
    selectType(dialog, 3);
    typeName(dialog, old);
    press(dialog, IDOK);
    question = waitOverwriteQuestion(c.app, dialog, "saving over old.png again");
    PostMessageW(GetDlgItem(question, IDYES), BM_CLICK, 0, 0);
    waitDialogDone(c.app, dialog, "saving over old.png with Yes");
    expectNoMessage(c.app, "after Yes");
    expectFiles(dir.path(), {L"old.png"}, "after Yes");
    expectPicture(c, old, "PNG", Fidelity::Exact);
    c.expectStillShown("after cancels and the overwrite");
    expectEndsWithoutQuestion(c.app, "after the picture was saved");
}

// Saves over an existing file after saying Yes to the question.
void saveOver(const App& app, const std::wstring& path) {
    SaveDialog dialog = openSaveDialog(app, Style::New);
    selectType(dialog, 3);
    typeName(dialog, path);
    press(dialog, IDOK);
    HWND question = waitOverwriteQuestion(app, dialog, "saving over " + narrow(path));
    PostMessageW(GetDlgItem(question, IDYES), BM_CLICK, 0, 0);
    waitDialogDone(app, dialog, "saving over " + narrow(path));
}

// A write that fails says so and writes nothing; an existing file stays as it was: a folder that refuses
// writes (new and existing names), an existing file another program holds open, and a read-only one, which
// is named as such. The picture stays (not
// kept: ending asks) and a save elsewhere still works.
void caseWriteFailure() {
    TempDir dir;
    const std::string kept = "kept as it was";
    ImmutableFolder locked(joinPath(dir.path(), L"no-write"), {{L"kept.png", kept}});
    Captured c;

    saveAs(c.app, Style::New, joinPath(locked.path(), L"new.png"), 3);
    expectMessage(c.app, kSaveFailed, "saving into a folder that refuses writes");
    expectFiles(locked.path(), {L"kept.png"}, "after saving into a folder that refuses writes");

    saveOver(c.app, joinPath(locked.path(), L"kept.png"));
    expectMessage(c.app, kSaveFailed, "saving over a file in a folder that refuses writes");
    expectFiles(locked.path(), {L"kept.png"}, "after saving over a file in a folder that refuses writes");
    expectUnchanged(joinPath(locked.path(), L"kept.png"), kept, "after the failed save");

    const std::wstring busy = joinPath(dir.path(), L"busy.png");
    const std::string held = "held open by another program";
    writeFile(busy, held);
    {
        platform::UniqueFile open(CreateFileW(busy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
        check(static_cast<bool>(open), "could not open busy.png");
        saveOver(c.app, busy);
        expectMessage(c.app, kSaveFailed, "saving over a file held open");
    }
    expectUnchanged(busy, held, "after the failed save");
    expectFiles(dir.path(), {L"busy.png", L"no-write"}, "after saving over a file held open");

    const std::wstring readOnly = joinPath(dir.path(), L"read-only.png");
    writeFile(readOnly, held);
    check(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY),
          "could not make read-only.png read-only");
    saveOver(c.app, readOnly);
    expectMessage(c.app, kSaveReadOnly, "saving over a read-only file");
    expectUnchanged(readOnly, held, "read-only.png after the save");
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(readOnly.c_str());

    c.expectStillShown("after the failed saves");
    expectExitQuestionNo(c.app, "after saves that failed");
    saveAs(c.app, Style::New, joinPath(dir.path(), L"after.png"), 3);
    expectNoMessage(c.app, "after saving elsewhere");
    expectPicture(c, joinPath(dir.path(), L"after.png"), "PNG", Fidelity::Exact);
    expectFiles(dir.path(), {L"after.png", L"busy.png", L"no-write"}, "after saving elsewhere");
}

// A picture of at most 256 colours is written as GIF with exactly its colours, pixel for pixel: tiles of 211
// colours, and one flat colour (a palette of one entry).
void caseGifExactColours() {
    TempDir dir;
    struct GifRow {
        int variant;
        const wchar_t* name;
        long colours;
    };
    const GifRow rows[] = {{3, L"tiles.gif", kFewColours}, {5, L"flat.gif", 1}};
    for (const GifRow& row : rows) {
        Captured c(vantrelPath(), row.variant);
        const std::wstring path = joinPath(dir.path(), row.name);
        saveAs(c.app, Style::New, path, 1);
        expectNoMessage(c.app, "after saving " + narrow(row.name));
        expectPicture(c, path, "GIF", Fidelity::Exact);
        expectEq(narrow(row.name) + ": colours", row.colours, distinctColours(path));
    }
}

// Save's PNG: a picture of at most 256 colours is written indexed (a palette of exactly its colours), any
// other as 8-bit true colour; both hold the picture exactly and are no larger than ImageMagick's PNG of the
// same pixels.
void casePngLayoutAndSize() {
    TempDir dir;
    struct PngRow {
        int variant;
        const wchar_t* name;
        int colourType; // 3 indexed, 2 true colour
    };
    const PngRow rows[] = {{3, L"tiles.png", 3}, {4, L"photo.png", 2}};
    for (const PngRow& row : rows) {
        Captured c(vantrelPath(), row.variant);
        const std::wstring path = joinPath(dir.path(), row.name);
        const std::string name = narrow(row.name);
        saveAs(c.app, Style::New, path, 3);
        expectNoMessage(c.app, "after saving " + name);
        expectPicture(c, path, "PNG", Fidelity::Exact);
        const std::string file = readFile(path);
        check(file.size() > 25 && file.compare(12, 4, "IHDR") == 0,
              name + ": no IHDR chunk where it belongs");
        expectEq(name + ": colour type", row.colourType,
                 static_cast<int>(static_cast<unsigned char>(file[25])));

        Pixels picture;
        picture.width = c.width();
        picture.height = c.height();
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x)
                picture.rgb.push_back(c.at(x, y));
        const std::wstring reference = joinPath(dir.path(), L"picture.bmp");
        const std::wstring theirs = joinPath(dir.path(), L"imagemagick.png");
        check(writeBmp(reference, picture), "could not write " + narrow(reference));
        runUnixOk("/usr/bin/convert " + shellQuoted(unixPath(reference)) + " " +
                  shellQuoted(unixPath(theirs)));
        const std::size_t theirBytes = readFile(theirs).size();
        sayKey((name + "_bytes").c_str(), std::to_string(file.size()));
        sayKey((name + "_imagemagick_bytes").c_str(), std::to_string(theirBytes));
        check(file.size() <= theirBytes, name + ": " + std::to_string(file.size()) +
                                             " bytes, larger than ImageMagick's " +
                                             std::to_string(theirBytes));
    }
}

// A photograph-like picture (far more than 256 colours) saved as GIF keeps at least as much of the picture
// as ImageMagick's own GIF of the same pixels, both measured by ImageMagick against those pixels.
void caseGifPhotoQuality() {
    TempDir dir;
    Captured c(vantrelPath(), 4);
    const std::wstring ours = joinPath(dir.path(), L"photo.gif");
    saveAs(c.app, Style::New, ours, 1);
    expectNoMessage(c.app, "after saving photo.gif");
    expectPicture(c, ours, "GIF", Fidelity::Close);

    Pixels picture;
    picture.width = c.width();
    picture.height = c.height();
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            picture.rgb.push_back(c.at(x, y));
    const std::wstring reference = joinPath(dir.path(), L"picture.bmp");
    const std::wstring theirs = joinPath(dir.path(), L"imagemagick.gif");
    check(writeBmp(reference, picture), "could not write " + narrow(reference));
    check(distinctColours(reference) > 256, "the photograph-like picture has no more than 256 colours");
    runUnixOk("/usr/bin/convert " + shellQuoted(unixPath(reference)) + " " + shellQuoted(unixPath(theirs)));
    const double oursDb = psnr(reference, ours), theirsDb = psnr(reference, theirs);
    sayKey("psnr_vantrel_db", std::to_string(oursDb));
    sayKey("psnr_imagemagick_db", std::to_string(theirsDb));
    check(oursDb >= theirsDb, "vantrel's GIF keeps less of the picture than ImageMagick's: PSNR " +
                                  std::to_string(oursDb) + " dB against " + std::to_string(theirsDb) + " dB");
}

// ---------------------------------------------------------------- below the dialog

const char* outcomeName(panel::SaveOutcome outcome) {
    switch (outcome) {
    case panel::SaveOutcome::Saved: return "saved";
    case panel::SaveOutcome::NoEncoder: return "no encoder";
    case panel::SaveOutcome::Failed: return "failed";
    case panel::SaveOutcome::ReadOnly: return "read-only";
    }
    return "?";
}

void expectOutcome(panel::SaveOutcome expected, HBITMAP picture, const std::wstring& path) {
    const panel::SaveOutcome got = panel::SavePictureFile(picture, path);
    say("save=" + std::to_string(path.size()) + " characters: " + outcomeName(got));
    check(got == expected, "saving to " + narrow(path) + " (" + std::to_string(path.size()) +
                               " characters): " + outcomeName(got) + ", expected " + outcomeName(expected));
}

// Wine's save dialogs cannot take paths beyond MAX_PATH, so the program's save code is run here, on a picture
// like a captured one: into a folder whose path is far longer than MAX_PATH (a new file, then the same file
// again, replaced), and under a 255-character name (its temporary name must be shortened); the files are read
// back by ImageMagick. Paths the system cannot write (a folder that does not exist, a name of more than 255
// characters, a folder that refuses writes) fail, write nothing and leave an existing file as it was.
void caseLongPaths() {
    TempDir dir;
    PatternPicture picture(173, 91);
    std::wstring deep = dir.path();
    for (wchar_t letter = L'a'; deep.size() < 353; ++letter) {
        deep = joinPath(deep, std::wstring(60, letter));
        check(CreateDirectoryW(deep.c_str(), nullptr),
              "could not create a folder of " + std::to_string(deep.size()) + " characters");
    }
    sayKey("long_folder_characters", static_cast<unsigned long long>(deep.size()));
    const std::wstring longName = std::wstring(251, L'n') + L".png";
    const struct {
        std::wstring folder, name;
        const char* format;
    } rows[] = {
        {deep, L"picture.png", "PNG"},
        {deep, L"picture.png", "PNG"}, // over the file just written
        {deep, L"second.bmp", "BMP"},
        {dir.path(), longName, "PNG"},
    };
    for (const auto& row : rows) {
        const std::wstring path = joinPath(row.folder, row.name);
        expectOutcome(panel::SaveOutcome::Saved, picture.get(), path);
        picture.expectWritten(path, row.format);
    }
    const std::vector<std::wstring> written = {L"picture.png", L"second.bmp"};
    expectFiles(deep, {written[0], written[1]}, "after the saves into the long folder");

    const std::wstring tooLong = joinPath(deep, std::wstring(252, L'x') + L".png");
    expectOutcome(panel::SaveOutcome::Failed, picture.get(), tooLong);
    expectOutcome(panel::SaveOutcome::Failed, picture.get(), joinPath(deep, L"missing\\picture.png"));
    expectFiles(deep, written, "after the saves the system cannot write");

    const std::string kept = "kept as it was";
    ImmutableFolder locked(joinPath(deep, L"no-write"), {{L"kept.png", kept}});
    expectOutcome(panel::SaveOutcome::Failed, picture.get(), joinPath(locked.path(), L"kept.png"));
    expectOutcome(panel::SaveOutcome::Failed, picture.get(), joinPath(locked.path(), L"new.png"));
    expectFiles(locked.path(), {L"kept.png"}, "after saving into a long folder that refuses writes");
    expectUnchanged(joinPath(locked.path(), L"kept.png"), kept, "after the failed save over it");
}

// The file is first written as "~name.png.vantrel-save.tmp" beside its target, hidden: a watcher sees exactly
// that while a large picture is saved. A leftover of that name from a save that was cut off (hidden, as the
// save leaves it) goes with the next save to the same target, and in the end the folder holds the target
// alone, not hidden.
void caseTemporaryFile() {
    TempDir dir;
    const std::wstring target = joinPath(dir.path(), L"big.png");
    const std::wstring temporaryName = L"~big.png.vantrel-save.tmp";
    const std::wstring leftover = joinPath(dir.path(), temporaryName);
    writeFile(leftover, "left by a save that was cut off");
    check(SetFileAttributesW(leftover.c_str(), FILE_ATTRIBUTE_HIDDEN), "could not hide the leftover");
    PatternPicture picture(2400, 1600);
    std::atomic<bool> saving{true};
    std::set<std::wstring> seen; // names the watcher saw, "(hidden)" added to hidden ones
    std::thread watcher([&] {
        while (saving) {
            WIN32_FIND_DATAW fd;
            HANDLE find = FindFirstFileW(joinPath(dir.path(), L"*").c_str(), &fd);
            if (find == INVALID_HANDLE_VALUE)
                continue;
            do {
                const std::wstring name = fd.cFileName;
                if (name != L"." && name != L"..")
                    seen.insert(name + (fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN ? L" (hidden)" : L""));
            } while (FindNextFileW(find, &fd));
            FindClose(find);
        }
    });
    const panel::SaveOutcome outcome = panel::SavePictureFile(picture.get(), target);
    saving = false;
    watcher.join();
    const std::wstring seenText = listText({seen.begin(), seen.end()});
    sayKey("seen_while_saving", seenText);
    check(outcome == panel::SaveOutcome::Saved, std::string("the save ") + outcomeName(outcome));
    check(seen.count(temporaryName + L" (hidden)") == 1,
          "no hidden " + narrow(temporaryName) +
              " was seen while the picture was written; seen: " + narrow(seenText));
    for (const std::wstring& name : seen)
        check(name == temporaryName || name == temporaryName + L" (hidden)" || name == L"big.png",
              "an unexpected file was seen while saving: " + narrow(name));
    expectFiles(dir.path(), {L"big.png"}, "after the save");
    check(!(GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_HIDDEN), "big.png is hidden");
    picture.expectWritten(target, "PNG");
}

// Nothing of the user's is taken for a leftover of the program's: a file of the user's named like the old
// temporary name (~notes.png.tmp), a folder of the temporary name and a file of the user's of the next one
// (not hidden) all stay as they are, and the save of notes.png still writes it, through a name of its own. A
// save of vantrel killed while it writes leaves its hidden temporary file, which the next save to that target
// removes.
void caseTemporaryNamesOfTheUsers() {
    TempDir dir;
    const std::wstring target = joinPath(dir.path(), L"notes.png");
    const std::string users = "the user's own notes";
    writeFile(joinPath(dir.path(), L"~notes.png.tmp"), users);
    check(CreateDirectoryW(joinPath(dir.path(), L"~notes.png.vantrel-save.tmp").c_str(), nullptr),
          "could not make the folder of the temporary name");
    writeFile(joinPath(dir.path(), L"~notes.png.vantrel-save-2.tmp"), users);
    writeFile(target, "an older picture");
    PatternPicture picture(320, 200);
    expectOutcome(panel::SaveOutcome::Saved, picture.get(), target);
    picture.expectWritten(target, "PNG");
    expectUnchanged(joinPath(dir.path(), L"~notes.png.tmp"), users, "the user's ~notes.png.tmp");
    expectUnchanged(joinPath(dir.path(), L"~notes.png.vantrel-save-2.tmp"), users,
                    "the user's file of the second temporary name");
    check(GetFileAttributesW(joinPath(dir.path(), L"~notes.png.vantrel-save.tmp").c_str()) &
              FILE_ATTRIBUTE_DIRECTORY,
          "the folder of the temporary name is gone");
    expectFiles(
        dir.path(),
        {L"notes.png", L"~notes.png.tmp", L"~notes.png.vantrel-save-2.tmp", L"~notes.png.vantrel-save.tmp"},
        "after saving beside the user's files");

    // A save killed while it writes: a photo-like picture saved as GIF takes its colours a while, with its
    // temporary file already made.
    const std::wstring killed = joinPath(dir.path(), L"killed.gif");
    const std::wstring leftover = joinPath(dir.path(), L"~killed.gif.vantrel-save.tmp");
    {
        App app;
        app.moveFrame(100, 100, 1400, 1000);
        PatternWindow pattern(patternArea(app), 4);
        app.run(IDC_CAPTURE);
        waitCaptured(app);
        SaveDialog dialog = openSaveDialog(app, Style::New);
        selectType(dialog, 1);
        typeName(dialog, killed);
        press(dialog, IDOK);
        check(waitFor([&] { return GetFileAttributesW(leftover.c_str()) != INVALID_FILE_ATTRIBUTES; }, 15000,
                      5),
              "the save of killed.gif made no temporary file");
        TerminateProcess(app.process.handle(), 1);
        check(app.process.waitExit(5000), "vantrel did not end when killed");
    }
    const DWORD left = GetFileAttributesW(leftover.c_str());
    check(left != INVALID_FILE_ATTRIBUTES && (left & FILE_ATTRIBUTE_HIDDEN),
          "the killed save left no hidden temporary file");
    check(GetFileAttributesW(killed.c_str()) == INVALID_FILE_ATTRIBUTES, "the killed save wrote killed.gif");
    expectOutcome(panel::SaveOutcome::Saved, picture.get(), killed);
    check(GetFileAttributesW(leftover.c_str()) == INVALID_FILE_ATTRIBUTES,
          "the next save did not remove the killed save's temporary file");
    expectImage(killed, "GIF", 320, 200, "killed.gif saved again");
}

// An existing target is replaced (ReplaceFileW) once the new file is complete. One that is read-only is
// reported as such and left as it is. One that another program holds for a moment (a virus scanner, a sync
// client) is waited for, up to about a second; one held longer fails the save and stays as it was. No
// temporary file is left in any case.
void caseReplacing() {
    TempDir dir;
    PatternPicture picture(200, 120);
    const std::wstring readOnly = joinPath(dir.path(), L"read-only.png");
    const std::string kept = "kept as it was";
    writeFile(readOnly, kept);
    check(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY),
          "could not make read-only.png read-only");
    expectOutcome(panel::SaveOutcome::ReadOnly, picture.get(), readOnly);
    expectUnchanged(readOnly, kept, "read-only.png after the save");
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);

    const std::wstring busy = joinPath(dir.path(), L"busy.png");
    for (const DWORD heldMs : {300u, 3000u}) {
        const std::string row = "held for " + std::to_string(heldMs) + " ms: ";
        writeFile(busy, kept);
        platform::UniqueFile held(CreateFileW(busy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
        check(static_cast<bool>(held), row + "could not open busy.png");
        std::thread release([&] {
            Sleep(heldMs);
            held.reset();
        });
        const Stopwatch watch;
        const panel::SaveOutcome outcome = panel::SavePictureFile(picture.get(), busy);
        const double seconds = watch.ms() / 1000.0;
        release.join();
        sayKey(("busy_" + std::to_string(heldMs) + "_seconds").c_str(), std::to_string(seconds));
        if (heldMs < 1000) {
            check(outcome == panel::SaveOutcome::Saved, row + "the save " + outcomeName(outcome));
            picture.expectWritten(busy, "PNG");
        } else {
            check(outcome == panel::SaveOutcome::Failed, row + "the save " + outcomeName(outcome));
            check(seconds < heldMs / 1000.0,
                  row + "the save waited for the file to be let go (" + std::to_string(seconds) + " s)");
            expectUnchanged(busy, kept, row + "busy.png");
        }
    }
    expectFiles(dir.path(), {L"busy.png", L"read-only.png"}, "after the saves");
}

// Memory running out while a picture is encoded is a failed save like any other: each allocation of the save
// code (of at least 4 KB, in turn) is made to fail once, in each format, and every time the save reports a
// failure instead of letting the exception out, leaves the existing file as it was and no temporary file
// behind. With nothing refused, the same save writes the file.
void caseMemoryRunsOut() {
    TempDir dir;
    constexpr int kWidth = 320, kHeight = 200;
    PatternPicture picture(kWidth, kHeight); // more than 256 colours: the GIF's colours are chosen
    const std::string kept = "kept as it was";
    for (const char* format : {"GIF", "PNG", "BMP"}) {
        const std::wstring name = L"kept." + widen(format);
        const std::wstring target = joinPath(dir.path(), name);
        writeFile(target, kept);
        long refusals = 0;
        for (long nth = 1;; ++nth) {
            check(nth < 1000, std::string(format) + ": the save still allocates after 1000 refusals");
            const FailingAllocation failing(nth, 4096);
            std::optional<panel::SaveOutcome> outcome;
            try {
                outcome = panel::SavePictureFile(picture.get(), target);
            } catch (const std::bad_alloc&) {
            }
            const std::string when = std::string(format) + ", allocation " + std::to_string(nth) + " refused";
            check(outcome.has_value(), when + ": the save let std::bad_alloc out");
            if (!failing.refused()) {
                check(*outcome == panel::SaveOutcome::Saved,
                      std::string(format) + " with nothing refused: " + outcomeName(*outcome));
                break;
            }
            ++refusals;
            check(*outcome == panel::SaveOutcome::Failed, when + ": " + outcomeName(*outcome));
            expectUnchanged(target, kept, when);
            expectFiles(dir.path(), {name}, when);
        }
        sayKey((std::string(format) + "_allocations_refused").c_str(), refusals);
        // The program's own encoders (zlib's memory included) allocate through operator new.
        check(std::string(format) == "BMP" || refusals > 0,
              std::string("the ") + format + " save made no allocation of 4 KB or more");
        expectImage(target, format, kWidth, kHeight, format);
        DeleteFileW(target.c_str());
    }
}

const RegisterCase kSaveCases[] = {
    {"save_formats", caseFormats},
    {"save_classic_dialog", caseClassicDialog},
    {"save_cancel_and_overwrite", caseCancelAndOverwrite},
    {"save_write_failure", caseWriteFailure},
    {"save_gif_exact_colours", caseGifExactColours},
    {"save_gif_photo_quality", caseGifPhotoQuality},
    {"save_png_layout_and_size", casePngLayoutAndSize},
    {"save_long_paths", caseLongPaths},
    {"save_temporary_file", caseTemporaryFile},
    {"save_temporary_names_of_the_users", caseTemporaryNamesOfTheUsers},
    {"save_replacing", caseReplacing},
    {"save_memory_runs_out", caseMemoryRunsOut},
};

} // namespace
