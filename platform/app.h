#pragma once
// The application object: one per process, built during static initialisation; wWinMain calls its start-up
// hook.

#include <windows.h>

#include <atomic>
#include <string>

namespace platform {

class CDialogEx;

class CWinApp {
public:
    CWinApp() noexcept;
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Start-up hook, called once from wWinMain. false ends the process; true runs a plain message loop.
    virtual bool InitInstance();

    static CWinApp* Current() noexcept;

    // Window of m_mainDialog while it exists; readable from any thread (the console control handler's).
    HWND MainWindowHandle() const noexcept { return m_mainWindow.load(); }

    DWORD m_restartManagerSupport = 0;
    CDialogEx* m_mainDialog = nullptr;

private:
    friend class CDialogEx;
    void NoteWindowCreated(const CDialogEx* dlg, HWND wnd) noexcept;
    void NoteWindowDestroyed(const CDialogEx* dlg) noexcept;

    std::atomic<HWND> m_mainWindow{nullptr};
};

// Bit of m_restartManagerSupport that registers the process with the Restart Manager.
constexpr DWORD kRestartSupport = 0x01;

// The full path of the running executable, however long; empty when the system cannot tell it.
std::wstring ExecutablePath();

} // namespace platform
