// End-to-end case of where vantrel's libraries come from. A DLL named like a system library and lying beside
// the program (a copy run from a download folder where a browser left one) must never be loaded: Windows
// would look there first for a library loaded by its bare name. Beside a copy of vantrel, each library the
// program binds late is planted in turn (planted_dll/: it passes every call on to the system's library and
// notes who loaded and called it), and Wine is told to prefer it, as Windows' search would find it first.
// The copy is used as a user would, and the planted library's log must show nothing of the program.
#include "tests/e2e/app.h"
#include "tests/e2e/case_registry.h"
#include "tests/e2e/files.h"
#include "tests/e2e/image_files.h"
#include "tests/e2e/program_copy.h"
#include "tests/e2e/report.h"
#include "tests/e2e/save_dialog.h"
#include "tests/e2e/wait.h"
#include "tests/e2e/window_lookup.h"
#include "tests/support/paths.h"
#include "tests/support/text.h"

#include "tests/e2e/planted_dll/planted.h"
#include "res/resource.h"
#include "res/version.h"

using namespace e2e;
using namespace support;

namespace {

const wchar_t kVersionLine[] = L"Vantrel Ver.:" VANTREL_VERSION_JOINED("-");

// What the copy does while the library is planted: start (the panel asks the window manager whether the glass
// look is on), the About box (its version line), a capture saved as a JPEG (the image encoders), the end.
void useTheCopy(const std::wstring& exe, const std::wstring& folder, const std::string& row) {
    App app(exe);
    const HWND about = openAboutBox(app.process, app.frame);
    check(about != nullptr, row + "no About box appeared");
    bool lineShown = false;
    for (HWND child = GetWindow(about, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        lineShown = lineShown || windowText(child) == kVersionLine;
    check(lineShown, row + "the About box does not show " + narrow(kVersionLine));
    PostMessageW(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
    check(waitFor([&] { return !IsWindow(about); }), row + "the About box did not close");

    app.moveFrame(300, 250, 300, 200);
    app.run(IDC_CAPTURE);
    waitCaptured(app);
    const std::wstring saved = joinPath(folder, L"saved.jpg");
    saveAs(app, Style::New, saved, 2);
    expectNoMessage(app, row + "after the save");
    const RECT client = clientRectOnScreen(app.frame);
    expectImage(saved, "JPEG", client.right - client.left, client.bottom - client.top, row + "saved.jpg");
}

void casePlantedLibraries() {
    const struct {
        const wchar_t* library;
        // Wine's own libraries load it by name as every program starts, so the planted copy is in the
        // process whatever the program does: its log must exist, which shows that Wine took it.
        bool loadedByWine;
    } rows[] = {
        {L"uxtheme", true},
        {L"dwmapi", false},
        {L"version", true},
        {L"gdiplus", false},
    };
    for (const auto& r : rows) {
        const std::wstring dll = std::wstring(r.library) + L".dll";
        const std::string row = "planted " + narrow(dll) + ": ";
        TempDir dir;
        const std::wstring exe = joinPath(dir.path(), L"vantrel_planted.exe");
        check(CopyFileW(vantrelPath().c_str(), exe.c_str(), FALSE),
              row + "could not copy vantrel.exe, error " + std::to_string(GetLastError()));
        const std::wstring planted =
            joinPath(moduleFolder(), L"planted\\" + std::wstring(r.library) + L"\\" + dll);
        check(CopyFileW(planted.c_str(), joinPath(dir.path(), dll).c_str(), FALSE),
              row + "could not plant " + narrow(planted) +
                  " (built with the driver from Wine's libraries), error " + std::to_string(GetLastError()));
        {
            WineProgramSettings settings(L"vantrel_planted.exe");
            settings.overrideDll(r.library, L"native,builtin");
            useTheCopy(exe, dir.path(), row);
        }
        const std::string log = readFile(joinPath(dir.path(), dll + planted::kLogSuffix));
        sayKey((narrow(r.library) + "_log").c_str(), quotedBytes(log));
        if (r.loadedByWine)
            check(log.find(planted::kLoadedLine) != std::string::npos,
                  row + "Wine never loaded the planted copy: the case shows nothing");
        check(log.find(planted::kByProgram) == std::string::npos,
              row + "vantrel loaded or called the DLL lying beside it: " + quotedBytes(log));
        check(log.find("no system library") == std::string::npos,
              row + "the planted copy could not reach the system's library: " + quotedBytes(log));
        say("row_ok=" + narrow(r.library));
    }
}

const RegisterCase kDllSearchCases[] = {
    {"dll_search_planted_libraries", casePlantedLibraries},
};

} // namespace
