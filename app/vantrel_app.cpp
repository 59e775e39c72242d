#include "app/vantrel_app.h"

#include "app/console_events.h"
#include "app/debug_switch.h"
#include "frame/vantrel_dlg.h"
#include "platform/unique_handle.h"
#include "res/resource.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

static_assert(app::kCloseEvent == CTRL_CLOSE_EVENT && app::kLogoffEvent == CTRL_LOGOFF_EVENT &&
              app::kShutdownEvent == CTRL_SHUTDOWN_EVENT);

bool g_bDebugMode = false;

namespace {

// The one application object; it exists from static initialisation.
CVantrelApp g_vantrelApp;

// Signalled once the frame's modal run has returned, so a console handler that asked the frame to
// close can let the system go on only after the frame has closed the normal way.
platform::UniqueHandle g_frameClosed;

// How long a console handler waits for the frame to close; the system allows a few seconds.
constexpr DWORD kFrameCloseWaitMs = 4000;

// Runs on a thread the system starts for each console event. Ctrl+C and Ctrl+Break must not end
// the program; when the console, the session or the system is going away, the frame is closed
// through its normal path, without the question about an unsaved picture that nobody could answer in
// time, so the program ends cleanly.
BOOL WINAPI ConsoleCtrlHandler(DWORD eventCode) {
    if (app::ActionForConsoleEvent(eventCode) == app::ConsoleEventAction::CloseFrame) {
        if (HWND frame = g_vantrelApp.MainWindowHandle()) {
            ::PostMessageW(frame, WM_VANTREL_END_WITHOUT_ASKING, 0, 0);
            if (g_frameClosed)
                ::WaitForSingleObject(g_frameClosed.get(), kFrameCloseWaitMs);
        }
    }
    return TRUE;
}

// Reopens a standard stream on a path; a stream that cannot be reopened stays closed.
void Reopen(const char* path, const char* mode, FILE* stream) {
#ifndef _UCRT
    // A process started without standard handles (as from the desktop) can find its streams with no
    // descriptor at all under msvcrt (fileno -2), and freopen refuses such a stream: give it its usual
    // descriptor, on the null device, first.
    const int usual = stream == stdin ? 0 : stream == stdout ? 1 : 2;
    if (_fileno(stream) < 0) {
        const int fd = _open("NUL", usual == 0 ? _O_RDONLY : _O_WRONLY);
        if (fd >= 0) {
            if (fd != usual) {
                _dup2(fd, usual);
                _close(fd);
            }
            stream->_file = usual;
        }
    }
#endif
    FILE* reopened = nullptr;
    freopen_s(&reopened, path, mode, stream);
}

} // namespace

CVantrelApp::CVantrelApp() noexcept {
    m_restartManagerSupport = platform::kRestartSupport;
}

bool CVantrelApp::InitInstance() {
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&icc);

    CWinApp::InitInstance();

    // A failed split yields no array: the program then runs as if it had no arguments.
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    platform::UniqueLocal args(argv);
    // One line for every argument that is the switch, written to the standard output the program got.
    const int switches = app::CountDebugSwitches(argv, argc);
    for (int i = 0; i < switches; ++i)
        std::printf("DEBUGMODE ON\n");
    g_bDebugMode = switches > 0;

    if (g_bDebugMode) {
        // The console host can fail to start when the system is busy (seen under Wine): try again
        // briefly rather than run in debug mode with no console.
        for (int attempt = 0; attempt < 3 && !::AllocConsole() && !::GetConsoleWindow(); ++attempt)
            ::Sleep(200);
        Reopen("CONOUT$", "w", stdout);
        Reopen("CONIN$", "r", stdin);
        g_frameClosed.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        ::SetConsoleCtrlHandler(ConsoleCtrlHandler, TRUE);
    } else {
        Reopen("NUL", "w", stdout);
        Reopen("NUL", "r", stdin);
    }
    std::printf("********** Start Vantrel DEBUG MODE  *******\n");
    if (g_bDebugMode)
        std::printf("DEBUG_MODE ON\n");
    std::fflush(stdout);
    args.reset();

    {
        CVantrelDlg dlg;
        m_mainDialog = &dlg;
        dlg.DoModal();
        m_mainDialog = nullptr;
        if (g_frameClosed)
            ::SetEvent(g_frameClosed.get());

        if (g_bDebugMode) {
            ::FreeConsole();
            ::Sleep(1000);
        }
    }
    return false;
}
