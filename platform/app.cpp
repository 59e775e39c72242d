#include "platform/app.h"

#include "platform/com_apartment.h"
#include "platform/dialog.h"
#include "platform/late_bound.h"

#include "platform/path_text.h"

#include <string>

namespace platform {

namespace {
CWinApp* g_app = nullptr;
} // namespace

CWinApp::CWinApp() noexcept {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
}

CWinApp* CWinApp::Current() noexcept {
    return g_app;
}

bool CWinApp::InitInstance() {
    // A restarted instance gets the same arguments, so a debug run comes back in debug mode.
    if (m_restartManagerSupport & kRestartSupport)
        ::RegisterApplicationRestart(std::wstring(CommandLineArguments(::GetCommandLineW())).c_str(), 0);
    return true;
}

std::wstring ExecutablePath() {
    // GetModuleFileNameW cuts a path that does not fit and fills the buffer: grow it until one fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= 32768)
            return {};
        path.resize(path.size() * 2);
    }
}

void CWinApp::NoteWindowCreated(const CDialogEx* dlg, HWND wnd) noexcept {
    if (dlg == m_mainDialog)
        m_mainWindow.store(wnd);
}

void CWinApp::NoteWindowDestroyed(const CDialogEx* dlg) noexcept {
    if (dlg == m_mainDialog)
        m_mainWindow.store(nullptr);
}

} // namespace platform

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Before anything loads a DLL by name: none is looked for in the program's own folder.
    platform::RestrictDllSearch();
    platform::CWinApp* app = platform::CWinApp::Current();
    int exitCode = 0;
    // The thread's COM apartment lives as long as the program: the save dialog loads shell extensions that
    // may outlive the call that showed it.
    platform::EnterComApartment();
    if (app && app->InitInstance()) {
        MSG msg{};
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (!platform::PreTranslateForDialogs(msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        exitCode = static_cast<int>(msg.wParam);
    }
    // The thread that entered the apartment leaves it, once its windows are gone.
    platform::LeaveComApartment();
    return exitCode;
}
